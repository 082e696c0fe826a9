#include "editor_controls.h"

#include <algorithm>
#include <optional>

#include "ftd2xx.h"

namespace kestrom::mainwindow {

namespace {

// Each field has one control, and each rank column orders all of them.
consteval bool wellFormed() {
    std::array<int, kFieldCount> fields{}, writes{}, defaults{};
    for (const EditorControl &control : kEditorControls) {
        const auto in = [](int rank) { return rank >= 0 && rank < int(kFieldCount); };
        if (!in(control.writeRank) || !in(control.defaultsRank)) return false;
        ++fields[size_t(control.field)];
        ++writes[size_t(control.writeRank)];
        ++defaults[size_t(control.defaultsRank)];
    }
    const auto once = [](const std::array<int, kFieldCount> &counts) {
        return std::ranges::all_of(counts, [](int count) { return count == 1; });
    };
    return std::size(kEditorControls) == kFieldCount && once(fields) && once(writes) && once(defaults);
}
static_assert(wellFormed(), "every field has one control, and the ranks order them all");

// The controls of `group` (all when none) by `rank`.
std::vector<const EditorControl *> ordered(int EditorControl::*rank, std::optional<ControlGroup> group) {
    std::vector<const EditorControl *> controls;
    for (const EditorControl &control : kEditorControls) {
        if (!group || control.group == *group) controls.push_back(&control);
    }
    std::ranges::sort(controls, {}, [rank](const EditorControl *control) { return control->*rank; });
    return controls;
}

}  // namespace

std::span<const EditorControl> editorControls() { return kEditorControls; }

std::vector<const EditorControl *> writeOrder(ControlGroup group) {
    return ordered(&EditorControl::writeRank, group);
}

std::vector<const EditorControl *> defaultsOrder() {
    return ordered(&EditorControl::defaultsRank, std::nullopt);
}

std::vector<Field> groupMembers(ControlGroup group) {
    std::vector<Field> members;
    for (const EditorControl *control : defaultsOrder()) {
        if (control->group == group && control->field != groupToggle(group)) members.push_back(control->field);
    }
    return members;
}

size_t defaultsColumn(int32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_BM: return 0;
        case FT_DEVICE_AM: return 1;
        case FT_DEVICE_2232C: return 2;
        default: return 3;
    }
}

}  // namespace kestrom::mainwindow
