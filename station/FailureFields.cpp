#include "station/FailureFields.h"

#include <cstdio>

namespace nembra::station {
namespace {

nlohmann::ordered_json WhereJson(const Where& where) {
    const bool numeric = where.kind == Where::Kind::Page || where.kind == Where::Kind::Section;
    nlohmann::ordered_json value =
        numeric ? nlohmann::ordered_json(where.value) : nlohmann::ordered_json(WhereValueText(where));
    return {{WhereKindName(where.kind), value}};
}

bool KeepsByte(const LinkOutcome& link) {
    return link.cause == Cause::Refused || (link.cause == Cause::Differs && link.byte != 0);
}

}  // namespace

nlohmann::ordered_json FailureFields(const StepOutcome& failure) {
    nlohmann::ordered_json fields = nlohmann::ordered_json::object();
    if (failure.ok()) {
        fields["step"] = nullptr;
        fields["cause"] = nullptr;
        return fields;
    }
    fields["step"] = failure.step == Step::None ? nullptr : nlohmann::ordered_json(StepName(failure.step));
    fields["cause"] = CauseName(failure.cause());
    if (failure.where) fields["where"] = WhereJson(*failure.where);
    // A comparison the host made has no byte; the pod's refusal of a page has.
    if (KeepsByte(failure.link)) {
        char text[4];
        std::snprintf(text, sizeof text, "%02X", failure.link.byte);
        fields["byte"] = text;
    }
    if (failure.cause() == Cause::WriteError || failure.cause() == Cause::ReadError)
        fields["driverStatus"] = failure.link.driverStatus;
    return fields;
}

}  // namespace nembra::station
