#pragma once

namespace platform {

// Qt's own texts (the buttons of message boxes and dialogs, the file and
// colour dialogs, the context menus of text fields) in the interface
// language: 0 Chinese loads Qt's Chinese catalogue from the system
// (qt6-translations-l10n), 1 English removes it, other values change
// nothing. Windows that are open change with it. False when the catalogue
// of the language was not found.
bool useQtTranslations(int language);

} // namespace platform
