#include "ui/ControlIds.h"

#include <QVariant>

namespace nembra {

void SetControlId(QWidget* widget, int id) { widget->setProperty(kControlIdProperty, id); }

QWidget* FindControl(const QWidget* root, int id) {
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const QVariant value = child->property(kControlIdProperty);
        if (value.isValid() && value.toInt() == id) return child;
    }
    return nullptr;
}

}  // namespace nembra
