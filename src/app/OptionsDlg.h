#pragma once

#include <QDialog>

class INIStorage;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The organisation's details: name, taxpayer number (INN), settlement account, and the names of
// the director and the chief accountant the printed register's signature lines carry, kept in
// section Organization of CONFIG.INI. Values are read when the dialog opens and written by
// "Применить" (or "Ok" after an edit).
class OptionsDlg : public QDialog {
    Q_OBJECT
public:
    explicit OptionsDlg(const INIStorage& settings, QWidget* parent = nullptr);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Load();
    // Writes the trimmed values; false (after telling the user) when one was refused.
    bool Apply();
    void OnTextChanged();
    void OnOk();
    void PlaceControls();
    // The buttons under the group, and any warning between them; the dialog's height follows.
    void PlaceBottom();
    // A wrong ИНН or account length, a name the settings file cannot hold: said, not refused.
    void ShowWarnings();

    const INIStorage& m_settings;
    QGroupBox* m_frame = nullptr;
    QLabel* m_labelName = nullptr;
    QLabel* m_labelInn = nullptr;
    QLabel* m_labelAcc = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_inn = nullptr;
    QLineEdit* m_acc = nullptr;
    QLabel* m_labelDirector = nullptr;
    QLabel* m_labelChief = nullptr;
    QLineEdit* m_director = nullptr;
    QLineEdit* m_chief = nullptr;
    QLabel* m_labelJournal = nullptr;
    QLineEdit* m_journal = nullptr; // [Main] Journal=: a SQLite file or postgresql://...
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_apply = nullptr;
    QLabel* m_warning = nullptr;
    double m_scale = 1.0;
    bool m_loading = false;
    bool m_reloadOnShow = false;
};
