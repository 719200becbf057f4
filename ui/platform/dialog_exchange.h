// The exchange of an edit field's text with memory, in Windows-1251 bytes.
//
// The field holds only what the entry file can keep: characters that
// Windows-1251 has a byte for, without line feed, NUL or 0x1A. Typing a
// character outside that set does nothing; a paste keeps the pasted text's
// first line and drops the characters that have no byte; nothing is ever
// turned into "?". Texts the program shows are taken as they are: an entry
// with a lone CR survives being shown and read back. The field has no
// length limit of its own.
#ifndef VELUNAR_UI_PLATFORM_DIALOG_EXCHANGE_H_
#define VELUNAR_UI_PLATFORM_DIALOG_EXCHANGE_H_

#include <string>

namespace velunar {

class CDialog;

// Reading (bSaveAndValidate true): `value` becomes the whole text of the
// edit field `nIDC` of `pDlg`, byte for byte, no trimming. Showing (false):
// the field shows `value`; when `value` is shorter than 256 bytes and the
// field already shows that text, the field is left untouched, so its caret,
// selection and undo stay. Throws std::bad_alloc; `value` is then unchanged.
// A control that is no edit field exchanges nothing.
void DDX_Text(bool bSaveAndValidate, CDialog* pDlg, int nIDC, std::string& value);

}  // namespace velunar

#endif  // VELUNAR_UI_PLATFORM_DIALOG_EXCHANGE_H_
