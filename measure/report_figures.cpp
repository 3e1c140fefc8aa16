#include "measure/report_figures.h"

namespace {

// A report nests four deep; anything far deeper is not one, and stops here
// before it can exhaust the stack.
const int deepestNesting = 16;

// Members every report of this format has: one that lacks any of them is
// from another program or an older build.
const char* const requiredMembers[] = {
    "program", "driver.vendor", "driver.renderer", "driver.version", "lod.meanAbsError",
    "lod.p99AbsError", "lod.meanAbsErrorInvariant", "trilinear.plateau",
    "trilinear.curve.0.measuredBlend", "angle.spread", "angle.curve.0.meanError",
    "stages.count", "stages.identical", "seconds"};

bool Flatten(const nlohmann::ordered_json& value, const std::string& name, int depth,
             std::vector<FlatMember>* members)
{
    if (depth > deepestNesting)
        return false;
    if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it)
            if (!Flatten(it.value(), name.empty() ? it.key() : name + "." + it.key(), depth + 1,
                         members))
                return false;
        return true;
    }
    if (value.is_array()) {
        for (size_t i = 0; i < value.size(); ++i)
            if (!Flatten(value[i], name + "." + std::to_string(i), depth + 1, members))
                return false;
        return true;
    }
    members->push_back({name, value});
    return true;
}

}  // namespace

bool FlattenJson(const std::string& text, std::vector<FlatMember>* members, std::string* reason)
{
    members->clear();
    const nlohmann::ordered_json document = nlohmann::ordered_json::parse(text, nullptr, false);
    if (document.is_discarded()) {
        *reason = "not valid JSON";
        return false;
    }
    if (!document.is_object()) {
        *reason = "not a JSON object";
        return false;
    }
    if (!Flatten(document, "", 0, members)) {
        members->clear();
        *reason = "nested too deep";
        return false;
    }
    return true;
}

bool ReadReportFigures(const std::string& text, std::vector<FlatMember>* members,
                       std::string* reason)
{
    if (!FlattenJson(text, members, reason))
        return false;
    for (const char* name : requiredMembers)
        if (FindMember(*members, name) == nullptr) {
            *reason = std::string("not a report of this format (no ") + name + ")";
            members->clear();
            return false;
        }
    return true;
}

const FlatMember* FindMember(const std::vector<FlatMember>& members, const std::string& name)
{
    for (const FlatMember& member : members)
        if (member.name == name)
            return &member;
    return nullptr;
}

std::string DriverLine(const std::vector<FlatMember>& members)
{
    std::string line;
    for (const char* name : {"driver.vendor", "driver.renderer", "driver.version"}) {
        const FlatMember* member = FindMember(members, name);
        if (member != nullptr && member->value.is_string())
            line += (line.empty() ? "" : "  ") + member->value.get<std::string>();
    }
    return line;
}
