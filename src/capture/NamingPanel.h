#pragma once

#include "config/Settings.h"

#include <QString>

namespace shell {
class Language;
}

namespace capture {

// The naming rules, in the order of the rule list and as stored.
enum NameRule { Automatic = 0, Barcode = 1, Date = 2, Custom = 3 };

// The naming panel without its widgets: the rule and, for automatic naming,
// prefix, digits, step and start number, kept in the settings. The window
// passes what a box holds when its edit ends and shows what the panel says;
// a value outside its range is refused with a message and the box shows the
// stored value again.
class NamingPanel {
public:
    NamingPanel(Settings& settings, const shell::Language& language);

    int rule() const { return cfg.nameRule; }
    // A rule chosen in the list; false when it is no choice (none, the same
    // rule, not a rule).
    bool chooseRule(int index);

    // What the panel shows under the current rule: the counter boxes only
    // for automatic naming, the name box also for custom naming.
    bool showsCounterBoxes() const { return rule() == Automatic; }
    bool showsNameBox() const { return rule() == Automatic || rule() == Custom; }
    QString nameLabel() const;
    // The name box after a change of rule: the prefix (automatic) or empty
    // (custom), and its width.
    QString nameBoxText() const;
    int nameBoxWidth() const { return rule() == Custom ? 120 : 51; }

    QString prefix() const;
    QString digits() const { return QString::number(cfg.fileNameDigits); }
    QString step() const { return QString::number(cfg.fileNameStep); }
    QString counter() const { return QString::number(cfg.fileNameCounter); }

    // The name box holds the prefix only under automatic naming.
    void editName(const QString& text);
    // True when the text was taken; otherwise the user has been told.
    bool editDigits(const QString& text);
    bool editStep(const QString& text);
    bool editCounter(const QString& text);

private:
    Settings& cfg;
    const shell::Language& language;
};

} // namespace capture
