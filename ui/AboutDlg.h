#pragma once
#include <QDialog>

namespace nembra {

// The About box: program icon, version line, a notice line and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

inline constexpr const char* kAboutMenuText = "Nembra 정보(&A)...";

}  // namespace nembra
