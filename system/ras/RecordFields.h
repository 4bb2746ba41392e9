// The fields of the remote-access records the store keeps, described once:
// the phonebook file, kivora-sys show and put all walk these tables.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace standin::ras {

enum class FieldKind {
    Number,   // DWORD, written in decimal
    Flags,    // DWORD bit set, written as 0x%08X
    Address,  // RASIPADDR, written dotted, first byte first
    Text,     // CHAR[capacity], NUL-terminated
};

struct RecordField {
    const char* name;  // the published field name
    FieldKind kind;
    size_t offset;
    size_t capacity;  // bytes of the field; a text holds capacity - 1 and its terminator
};

// Every field of RASENTRYA in declaration order, dwSize first.
std::span<const RecordField> entryFields();

// The fields of RASDIALPARAMSA that are kept with an entry (all but dwSize
// and szEntryName), in declaration order.
std::span<const RecordField> dialParamsFields();

const RecordField* findField(std::span<const RecordField> fields, std::string_view name);

// The text form of a field. Texts come out as their bytes, unescaped.
std::string formatField(const RecordField& field, const void* record);

// Sets a field from its text form. Numbers may be decimal or 0x-prefixed
// hexadecimal. False, with the field untouched and the reason in `reason`,
// when the text is not a value of the field or does not fit it.
bool parseField(const RecordField& field, std::string_view text, void* record, std::string& reason);

// True when a text field has its terminator within its capacity (other
// kinds always do).
bool isTerminated(const RecordField& field, const void* record);

// Copies the values of the fields and nothing else: what follows a text's
// terminator, and padding, stay as they are in `to`. Texts must be
// terminated.
void copyFieldValues(std::span<const RecordField> fields, const void* from, void* to);

// True when the field holds zero, 0.0.0.0 or the empty text.
bool isEmptyField(const RecordField& field, const void* record);

}  // namespace standin::ras
