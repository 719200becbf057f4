// The entry field on Windows: a single-line edit control whose text is
// exchanged with memory as Windows-1251 bytes (dialog_exchange.h).
//
// The field holds only what the entry file can keep: characters that
// Windows-1251 has a byte for, without line feed, NUL or 0x1A. Typing a
// character outside that set does nothing; a paste keeps the clipboard
// text's first line and drops the characters that have no byte; nothing is
// ever turned into "?". Texts the program shows are taken as they are. The
// field has no length limit of its own (the edit control's default would
// cut typing at 32767 characters).
#ifndef VELUNAR_UI_PLATFORM_WIN32_ENTRY_EDIT_H_
#define VELUNAR_UI_PLATFORM_WIN32_ENTRY_EDIT_H_

#include <string>
#include <string_view>

#include "ui/platform/win32/windows_api.h"

namespace velunar::win32 {

// Makes the edit control `hEdit` an entry field: its typing and pasting
// follow the rules above from now on. The dialog does this for every edit
// control of its template.
void AttachEntryEdit(HWND hEdit);

// The exchange of dialog_exchange.h on one field.
void ExchangeEntryText(bool bSaveAndValidate, HWND hEdit, std::string& value);

// What the field keeps of a text the user inserts: the part before the
// first line feed (and without the CR right before it), without characters
// that have no Windows-1251 byte, NUL and 0x1A.
std::wstring FilterInsertedText(std::wstring_view inserted);

}  // namespace velunar::win32

#endif  // VELUNAR_UI_PLATFORM_WIN32_ENTRY_EDIT_H_
