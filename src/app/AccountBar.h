#pragma once

#include <QFrame>

class INIStorage;
class QLabel;
class QToolButton;

// The bar over the list that says the organisation's account (ACC) is missing or wrong, with a
// button that opens the options. It goes as soon as the account is set.
class AccountBar : public QFrame {
    Q_OBJECT
public:
    AccountBar(const INIStorage& settings, QWidget* parent = nullptr);

    // Reads the account again and shows or hides the bar.
    void Refresh();
    // Places the bar at the top of area when it is shown; the rest of area is what remains.
    QRect TakeTop(const QRect& area);

signals:
    void SetAccountRequested(); // "Указать ..."
    void Shown(bool shown);     // the area it takes has changed

private:
    const INIStorage& m_settings;
    QLabel* m_text = nullptr;
    QToolButton* m_set = nullptr;
};
