#pragma once

// The camera's own control panel: one row per control of its ControlSet
// (an integer as a slider with its value, a boolean as a check box, a menu
// as a combo box, plus an "Auto" check box where the control has an
// automatic mode) and a "Defaults" button. Every change is applied at once.
// The widgets are named "control_<id>", "value_<id>" and "auto_<id>", so a
// test can find and drive them without running the dialog's event loop.

#include "PictureControl.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class QGridLayout;
class QLabel;

namespace orv {

class PropertyDialog final : public QDialog {
public:
    PropertyDialog(ControlSet& controls, const QString& cameraName, QWidget* parent = nullptr);

    // Sets every control to its default and shows the new values.
    void restoreDefaults();
    // Shows the values the set holds now.
    void refresh();

private:
    struct Row {
        ControlInfo info;
        QWidget* editor = nullptr; // QSlider, QCheckBox or QComboBox
        QLabel* valueLabel = nullptr;
        QCheckBox* autoBox = nullptr;
    };

    void addRow(const ControlInfo& info, QGridLayout* grid, int line);
    void apply(int id);
    int editorValue(const Row& row) const;
    void display(Row& row, const ControlValue& value);

    ControlSet& m_controls;
    QHash<int, Row> m_rows;
    bool m_updating = false;
};

} // namespace orv
