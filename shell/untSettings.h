#pragma once
// The saved state of the test bench: the value of every editable control of
// the main window and of all pages, in an INI file (organisation "Vexa",
// application "tallytest", group "Tests/Tallyport/A4/Param").

#include <QString>
#include <memory>

class QSettings;
class QWidget;

// The settings file, positioned in the group the values live in.
std::unique_ptr<QSettings> OpenSettings();

// Walks the child controls of Container in child order: a child named N is
// saved as Prefix + "." + N, its children under that name first. A control
// tagged 1000 is left out with everything inside it; read-only edits and
// memos are never saved. Unnamed children and Qt's own ("qt_...") are walked
// through without adding to the name.
void SaveControlParams(const QString& prefix, QWidget* container, QSettings& key);
// Loads the values that exist, one by one: a value that cannot be read or
// applied is skipped with a warning and the rest is still loaded.
void LoadControlParams(const QString& prefix, QWidget* container, QSettings& key);

// Longest text saved from an edit or memo.
inline constexpr int kMaxSavedText = 4096;
