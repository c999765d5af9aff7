#pragma once
// Text edits whose letters are typed in upper case (codes and names of the set-up screens).
class QLineEdit;

namespace kx {

// What is typed into `edit` shows and is taken in upper case; the caret stays where it was.
void upperCaseEntry(QLineEdit* edit);

} // namespace kx
