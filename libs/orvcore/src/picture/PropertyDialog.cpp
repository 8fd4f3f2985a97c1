#include "PropertyDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace orv {

PropertyDialog::PropertyDialog(ControlSet& controls, const QString& cameraName, QWidget* parent)
    : QDialog(parent), m_controls(controls) {
    setWindowTitle(tr("Properties: %1").arg(cameraName));
    setObjectName(QStringLiteral("orvPropertyDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    const QList<ControlInfo> list = m_controls.controls();
    for (int i = 0; i < list.size(); ++i)
        addRow(list.at(i), grid, i);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* defaults = buttons->addButton(tr("Defaults"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("defaults"));
    connect(defaults, &QPushButton::clicked, this, [this] { restoreDefaults(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    refresh();
}

void PropertyDialog::addRow(const ControlInfo& info, QGridLayout* grid, int line) {
    Row row;
    row.info = info;
    const QString id = QString::number(info.id);
    grid->addWidget(new QLabel(info.name, this), line, 0);
    switch (info.type) {
    case ControlInfo::Type::Integer: {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(info.minimum, info.maximum);
        slider->setSingleStep(std::max(1, info.step));
        slider->setPageStep(std::max(1, (info.maximum - info.minimum) / 10));
        slider->setMinimumWidth(200);
        connect(slider, &QSlider::valueChanged, this, [this, key = info.id] { apply(key); });
        row.editor = slider;
        row.valueLabel = new QLabel(this);
        row.valueLabel->setObjectName(QStringLiteral("value_") + id);
        row.valueLabel->setMinimumWidth(40);
        grid->addWidget(row.valueLabel, line, 2);
        break;
    }
    case ControlInfo::Type::Boolean: {
        auto* box = new QCheckBox(this);
        connect(box, &QCheckBox::toggled, this, [this, key = info.id] { apply(key); });
        row.editor = box;
        break;
    }
    case ControlInfo::Type::Menu: {
        auto* combo = new QComboBox(this);
        combo->addItems(info.menuItems);
        connect(combo, &QComboBox::currentIndexChanged, this,
                [this, key = info.id] { apply(key); });
        row.editor = combo;
        break;
    }
    }
    row.editor->setObjectName(QStringLiteral("control_") + id);
    grid->addWidget(row.editor, line, 1);
    if (info.hasAuto) {
        row.autoBox = new QCheckBox(tr("Auto"), this);
        row.autoBox->setObjectName(QStringLiteral("auto_") + id);
        connect(row.autoBox, &QCheckBox::toggled, this, [this, key = info.id] { apply(key); });
        grid->addWidget(row.autoBox, line, 3);
    }
    m_rows.insert(info.id, row);
}

int PropertyDialog::editorValue(const Row& row) const {
    if (auto* slider = qobject_cast<QSlider*>(row.editor))
        return slider->value();
    if (auto* box = qobject_cast<QCheckBox*>(row.editor))
        return box->isChecked() ? 1 : 0;
    if (auto* combo = qobject_cast<QComboBox*>(row.editor))
        return combo->currentIndex() + row.info.minimum;
    return 0;
}

void PropertyDialog::apply(int id) {
    if (m_updating || !m_rows.contains(id))
        return;
    Row& row = m_rows[id];
    const ControlValue wanted{row.autoBox && row.autoBox->isChecked(), editorValue(row)};
    m_controls.setValue(id, wanted);
    ControlValue now;
    if (m_controls.value(id, &now))
        display(row, now); // what the set accepted
}

void PropertyDialog::display(Row& row, const ControlValue& value) {
    const bool was = m_updating;
    m_updating = true;
    if (auto* slider = qobject_cast<QSlider*>(row.editor))
        slider->setValue(value.value);
    else if (auto* box = qobject_cast<QCheckBox*>(row.editor))
        box->setChecked(value.value != 0);
    else if (auto* combo = qobject_cast<QComboBox*>(row.editor))
        combo->setCurrentIndex(value.value - row.info.minimum);
    if (row.valueLabel)
        row.valueLabel->setText(QString::number(value.value));
    if (row.autoBox)
        row.autoBox->setChecked(value.isAuto);
    row.editor->setEnabled(!value.isAuto);
    m_updating = was;
}

void PropertyDialog::refresh() {
    for (Row& row : m_rows) {
        ControlValue value;
        if (m_controls.value(row.info.id, &value))
            display(row, value);
    }
}

void PropertyDialog::restoreDefaults() {
    for (const Row& row : std::as_const(m_rows))
        m_controls.setValue(row.info.id, ControlValue{row.info.defaultAuto, row.info.defaultValue});
    refresh();
}

} // namespace orv
