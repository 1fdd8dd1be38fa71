#include "shell_registration/registry_rows.h"

#include <optional>
#include <string>

#include "shell_registration/registry_primitives.h"

namespace shell_registration {
namespace {

bool Selected(When when, Conditions conditions) {
    switch (when) {
        case When::Always:
            return true;
        case When::WithClsid:
            return conditions.withClsid;
        case When::SystemClasses:
            return conditions.systemClasses;
    }
    return false;
}

// Whether the row took effect.
bool ApplyRow(const Row& row, const Fields& fields, std::size_t maxLength) {
    if (row.op == Op::None) return false;
    const std::optional<std::wstring> key = fields.Expand(row.key, Slot::KeyPath, maxLength);
    if (!key) return false;
    const HKEY root = ToHkey(row.root);
    if (row.op == Op::DeleteTree) return DeleteTree(root, *key);
    if (row.op == Op::DeleteKey) return DeleteKey(root, *key);

    const std::optional<std::wstring> name =
        row.value == nullptr ? std::wstring() : fields.Expand(row.value, Slot::ValueName, maxLength);
    if (!name) return false;
    if (row.op == Op::WriteDwordIfKeyExists) return WriteDwordIfKeyExists(root, *key, *name, row.data.number);

    const std::optional<std::wstring> text = fields.Expand(row.data.text, Slot::Data, maxLength);
    if (!text) return false;
    if (row.op == Op::WriteString) return WriteString(root, *key, *name, *text, row.data.type);
    return WriteStringIfKeyExists(root, *key, *name, *text, row.data.type);
}

}  // namespace

HKEY ToHkey(Root root) {
    switch (root) {
        case Root::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case Root::CurrentUser:
            return HKEY_CURRENT_USER;
        case Root::LocalMachine:
            return HKEY_LOCAL_MACHINE;
    }
    return nullptr;
}

void ApplyRows(const Row* rows, std::size_t count, const Fields& fields, std::size_t maxLength,
               Conditions conditions) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!Selected(rows[i].when, conditions)) continue;
        // A row that cannot be written leaves the rest of the layout to do its part.
        static_cast<void>(ApplyRow(rows[i], fields, maxLength));
    }
}

}  // namespace shell_registration
