#pragma once

#include <QDialog>

namespace Ui {
class QSetUIDlg;
}

// The skin chooser: six coloured buttons, one per skin.
class QSetUIDlg : public QDialog {
    Q_OBJECT
public:
    explicit QSetUIDlg(QWidget* parent = nullptr);
    ~QSetUIDlg() override;

    void applyLanguage(int language);

signals:
    void skinChosen(int skin);

public slots:
    void onChocolate();
    void onBlue();
    void onMGreen();
    void onGreen();
    void onPink();
    void onBrown();

private:
    void choose(int skin);
    Ui::QSetUIDlg* ui;
};
