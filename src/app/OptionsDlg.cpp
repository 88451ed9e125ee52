#include "app/OptionsDlg.h"

#include "checks/RequisiteChecks.h"
#include "settings/INIStorage.h"
#include "shell/AppInfo.h"
#include "shell/FormLayout.h"
#include "text/Cp1251.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QValidator>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ClientWidth = 7992;
constexpr TwipRect FramePos{168, 132, 7644, 2940};
constexpr TwipRect LabelNamePos{96, 456, 1524, 300};
constexpr TwipRect NamePos{1716, 432, 5700, 312};
constexpr TwipRect LabelInnPos{312, 912, 1284, 300};
constexpr TwipRect InnPos{1716, 888, 3756, 312};
constexpr TwipRect LabelAccPos{312, 1368, 1284, 300};
constexpr TwipRect AccPos{1716, 1344, 3756, 312};
// The names the printed register's signature lines carry.
constexpr TwipRect LabelDirectorPos{96, 1824, 1524, 300};
constexpr TwipRect DirectorPos{1716, 1800, 5700, 312};
constexpr TwipRect LabelChiefPos{96, 2280, 1524, 300};
constexpr TwipRect ChiefPos{1716, 2256, 5700, 312};
constexpr TwipRect OkPos{3324, 2844, 1452, 384};
constexpr TwipRect CancelPos{4824, 2844, 1440, 384};
constexpr TwipRect ApplyPos{6372, 2844, 1452, 384};
// Below the group and below the buttons alike: the buttons sit right under the group, and a
// warning, when there is one, goes between them.
constexpr int BottomMargin = 180;

int ToPixels(double twips, double scale) {
    return TwipsToPx(twips, scale);
}

QRect ToPixels(const TwipRect& r, double scale) {
    return QRect(ToPixels(r.Left, scale), ToPixels(r.Top, scale), ToPixels(r.Width, scale),
                 ToPixels(r.Height, scale));
}

// Keeps only the digits of whatever reaches the box (typed, pasted, dropped) and refuses a
// change that would make the number longer than it can be. A pasted number that is too long
// is refused whole rather than cut: a cut account number would be a wrong one.
class DigitsValidator : public QValidator {
public:
    DigitsValidator(int maxDigits, QObject* parent) : QValidator(parent), m_maxDigits(maxDigits) {}

    State validate(QString& input, int& pos) const override {
        QString digits;
        int newPos = 0;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                digits += c;
                if (i < pos) ++newPos;
            }
        }
        if (digits.size() > m_maxDigits) return Invalid;
        input = digits;
        pos = newPos;
        return Acceptable;
    }

private:
    int m_maxDigits;
};

QLineEdit* MakeDigitsBox(const QString& name, int maxDigits, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    // The validator holds the limit: the box's own maxLength would cut a paste before the
    // non-digits are dropped.
    box->setValidator(new DigitsValidator(maxDigits, box));
    return box;
}

QLabel* MakeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}

// What is worth knowing before the values are stored; nothing stops them being stored. texts:
// the name and the signatories' names by their labels, which the settings file keeps in
// Windows-1251.
QStringList Warnings(const QString& inn, const QString& account,
                     const std::vector<std::pair<QString, QString>>& texts) {
    QStringList warnings;
    // The same checks as the documents' requisites get; with no BIC here, the account's length.
    if (QString problem = InnProblem(inn); !problem.isEmpty()) {
        problem[0] = problem[0].toUpper();
        warnings << problem;
    }
    if (const QString problem = AccountProblem(account, {}, false); !problem.isEmpty())
        warnings << QStringLiteral("Расч. %1 (введено %2)").arg(problem).arg(account.size());
    for (const auto& [label, text] : texts) {
        if (Cp1251::CanEncode(text)) continue;
        QString lost;
        for (const char32_t point : text.toUcs4()) {
            const QString character = QString::fromUcs4(&point, 1);
            if (!Cp1251::CanEncode(character) && !lost.contains(character)) lost += character;
        }
        warnings << QStringLiteral("%1: знаков «%2» нет в кодировке Windows-1251, "
                                   "они сохранятся как «?»")
                        .arg(label, lost);
    }
    return warnings;
}

QPushButton* MakeButton(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

OptionsDlg::OptionsDlg(const INIStorage& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings) {
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(QStringLiteral("Настройки"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(UiFont());

    // Created in tab order.
    m_frame = new QGroupBox(QStringLiteral("Организация"), this);
    m_frame->setObjectName(QStringLiteral("FrameW1"));
    m_name = new QLineEdit(m_frame);
    m_name->setObjectName(QStringLiteral("txtOrgName"));
    m_labelName =
        MakeLabel(QStringLiteral("LabelW1"), QStringLiteral("&Наименование:"), m_name, m_frame);
    m_inn = MakeDigitsBox(QStringLiteral("txtINN"), 12, m_frame);
    m_labelInn = MakeLabel(QStringLiteral("LabelW2"), QStringLiteral("&ИНН:"), m_inn, m_frame);
    m_acc = MakeDigitsBox(QStringLiteral("txtACC"), 20, m_frame);
    m_labelAcc =
        MakeLabel(QStringLiteral("LabelW3"), QStringLiteral("&Расч. счет:"), m_acc, m_frame);
    m_director = new QLineEdit(m_frame);
    m_director->setObjectName(QStringLiteral("txtDirector"));
    m_labelDirector =
        MakeLabel(QStringLiteral("LabelW4"), QStringLiteral("Р&уководитель:"), m_director, m_frame);
    m_chief = new QLineEdit(m_frame);
    m_chief->setObjectName(QStringLiteral("txtChiefAccountant"));
    m_labelChief =
        MakeLabel(QStringLiteral("LabelW5"), QStringLiteral("&Гл. бухгалтер:"), m_chief, m_frame);
    for (QLineEdit* box : {m_director, m_chief})
        box->setPlaceholderText(QStringLiteral("Фамилия И. О."));
    m_journal = new QLineEdit(this);
    m_journal->setObjectName(QStringLiteral("txtJournal"));
    m_journal->setPlaceholderText(QStringLiteral("journal.sqlite в папке настроек"));
    m_journal->setToolTip(QStringLiteral("Журнал выгрузок: файл SQLite на этом компьютере или общий "
                                         "для офиса сервер postgresql://пользователь@сервер/база "
                                         "(пароль — в ~/.pgpass); off — не вести"));
    m_labelJournal = MakeLabel(QStringLiteral("LabelJournal"), QStringLiteral("&Журнал выгрузок:"),
                               m_journal, this);
    m_labelJournal->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_warning = new QLabel(this);
    m_warning->setObjectName(QStringLiteral("LabelWarning"));
    m_warning->setWordWrap(true);
    m_warning->setTextFormat(Qt::PlainText);
    QPalette warningPalette = m_warning->palette();
    warningPalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    m_warning->setPalette(warningPalette);
    m_ok = MakeButton(QStringLiteral("CommandButtonW1"), QStringLiteral("Ok"), this);
    m_cancel = MakeButton(QStringLiteral("CommandButtonW2"), QStringLiteral("Отмена"), this);
    m_apply = MakeButton(QStringLiteral("CommandButtonW3"), QStringLiteral("&Применить"), this);

    setTabOrder(m_name, m_inn);
    setTabOrder(m_inn, m_acc);
    setTabOrder(m_acc, m_director);
    setTabOrder(m_director, m_chief);
    setTabOrder(m_chief, m_journal);
    setTabOrder(m_journal, m_ok);
    setTabOrder(m_ok, m_cancel);
    setTabOrder(m_cancel, m_apply);

    // Enter anywhere in the boxes means "Ok"; Escape and the close box mean "Отмена".
    m_ok->setDefault(true);
    m_apply->setEnabled(false);

    connect(m_journal, &QLineEdit::textChanged, this, &OptionsDlg::OnTextChanged);
    for (QLineEdit* box : {m_name, m_inn, m_acc, m_director, m_chief}) {
        connect(box, &QLineEdit::textChanged, this, &OptionsDlg::OnTextChanged);
        connect(box, &QLineEdit::textChanged, this, &OptionsDlg::ShowWarnings);
    }
    connect(m_ok, &QPushButton::clicked, this, &OptionsDlg::OnOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_apply, &QPushButton::clicked, this, &OptionsDlg::Apply);

    PlaceControls();
    Load();
}

void OptionsDlg::PlaceControls() {
    // The design fits Tahoma 9 pt; another font may need more room. Grow everything by one
    // factor so that the proportions stay and no text is clipped.
    double scale = 1.0;
    auto need = [&scale](int neededPixels, double designTwips) {
        scale = std::max(scale, neededPixels * TwipsPerPixel / designTwips);
    };
    const QFontMetrics fm(font());
    for (const auto& [label, pos] : {std::pair{m_labelName, LabelNamePos},
                                     {m_labelInn, LabelInnPos},
                                     {m_labelAcc, LabelAccPos},
                                     {m_labelDirector, LabelDirectorPos},
                                     {m_labelChief, LabelChiefPos}}) {
        need(fm.horizontalAdvance(label->text()) + 4, pos.Width);
        need(fm.height(), pos.Height);
    }
    for (const auto& [box, pos] : {std::pair{m_name, NamePos},
                                   {m_inn, InnPos},
                                   {m_acc, AccPos},
                                   {m_director, DirectorPos},
                                   {m_chief, ChiefPos}})
        need(box->sizeHint().height(), pos.Height);
    for (const auto& [button, pos] :
         {std::pair{m_ok, OkPos}, {m_cancel, CancelPos}, {m_apply, ApplyPos}}) {
        need(fm.horizontalAdvance(button->text()) + 16, pos.Width);
        need(fm.height() + 8, pos.Height);
    }
    need(fm.horizontalAdvance(m_frame->title()) + 24, FramePos.Width);

    m_frame->setGeometry(ToPixels(FramePos, scale));
    m_labelName->setGeometry(ToPixels(LabelNamePos, scale));
    m_name->setGeometry(ToPixels(NamePos, scale));
    m_labelInn->setGeometry(ToPixels(LabelInnPos, scale));
    m_inn->setGeometry(ToPixels(InnPos, scale));
    m_labelAcc->setGeometry(ToPixels(LabelAccPos, scale));
    m_acc->setGeometry(ToPixels(AccPos, scale));
    m_labelDirector->setGeometry(ToPixels(LabelDirectorPos, scale));
    m_director->setGeometry(ToPixels(DirectorPos, scale));
    m_labelChief->setGeometry(ToPixels(LabelChiefPos, scale));
    m_chief->setGeometry(ToPixels(ChiefPos, scale));
    m_scale = scale;
    PlaceBottom();
}

void OptionsDlg::PlaceBottom() {
    const int margin = ToPixels(BottomMargin, m_scale);
    const QRect frame = m_frame->geometry();
    int top = frame.bottom() + 1 + margin;
    const int labelHeight = m_labelJournal->sizeHint().height();
    m_labelJournal->setGeometry(frame.left(), top, frame.width(), labelHeight);
    top += labelHeight + 2;
    m_journal->setGeometry(frame.left(), top, frame.width(), m_journal->sizeHint().height());
    top = m_journal->geometry().bottom() + 1 + margin;
    m_warning->setVisible(!m_warning->text().isEmpty());
    if (m_warning->isVisibleTo(this)) {
        const int height = m_warning->heightForWidth(frame.width());
        m_warning->setGeometry(frame.left(), top - margin / 2, frame.width(), height);
        top += height + margin / 2;
    }
    for (const auto& [button, pos] :
         {std::pair{m_ok, OkPos}, {m_cancel, CancelPos}, {m_apply, ApplyPos}}) {
        QRect r = ToPixels(pos, m_scale);
        r.moveTop(top);
        button->setGeometry(r);
    }
    setFixedSize(ToPixels(ClientWidth, m_scale), m_ok->geometry().bottom() + 1 + margin);
}

void OptionsDlg::ShowWarnings() {
    const QString text = Warnings(m_inn->text(), m_acc->text(),
                                  {{QStringLiteral("Наименование"), m_name->text()},
                                   {QStringLiteral("Руководитель"), m_director->text()},
                                   {QStringLiteral("Главный бухгалтер"), m_chief->text()}})
                             .join(u'\n');
    if (text == m_warning->text()) return;
    m_warning->setText(text);
    PlaceBottom();
}

void OptionsDlg::Load() {
    m_loading = true;
    m_name->setText(
        m_settings.ReadVal(Organization, QStringLiteral("Name"), QString()).toString().trimmed());
    m_inn->setText(
        m_settings.ReadVal(Organization, QStringLiteral("INN"), QString()).toString().trimmed());
    m_acc->setText(
        m_settings.ReadVal(Organization, QStringLiteral("ACC"), QString()).toString().trimmed());
    m_director->setText(m_settings.ReadVal(Organization, QStringLiteral("Director"), QString())
                            .toString()
                            .trimmed());
    m_chief->setText(m_settings.ReadVal(Organization, QStringLiteral("ChiefAccountant"), QString())
                         .toString()
                         .trimmed());
    m_journal->setText(
        m_settings.ReadVal(Main, QStringLiteral("Journal"), QString()).toString().trimmed());
    m_apply->setEnabled(false);
    m_loading = false;
}

void OptionsDlg::OnTextChanged() {
    if (isVisible() && !m_loading) m_apply->setEnabled(true);
}

bool OptionsDlg::Apply() {
    const bool stored =
        m_settings.WriteVal(Organization, QStringLiteral("Name"), m_name->text().trimmed()) &&
        m_settings.WriteVal(Organization, QStringLiteral("INN"), m_inn->text().trimmed()) &&
        m_settings.WriteVal(Organization, QStringLiteral("ACC"), m_acc->text().trimmed()) &&
        m_settings.WriteVal(Organization, QStringLiteral("Director"),
                            m_director->text().trimmed()) &&
        m_settings.WriteVal(Organization, QStringLiteral("ChiefAccountant"),
                            m_chief->text().trimmed()) &&
        // CONFIG.INI gains no empty key for a journal nobody named.
        (m_journal->text().trimmed() ==
             m_settings.ReadVal(Main, QStringLiteral("Journal"), QString()).toString().trimmed() ||
         m_settings.WriteVal(Main, QStringLiteral("Journal"), m_journal->text().trimmed()));
    if (!stored) {
        // Saying nothing would let the next statement go out with an old account number.
        QMessageBox::warning(this, windowTitle(),
                             QStringLiteral("Не удалось сохранить настройки в файл\n%1\n\n"
                                            "Проверьте, что папка существует и доступна для "
                                            "записи.")
                                 .arg(m_settings.MainIniFile()));
    }
    return stored;
}

void OptionsDlg::OnOk() {
    // A refused write keeps the dialog open so that the typed values are not lost.
    if (m_apply->isEnabled() && !Apply()) return;
    accept();
}

void OptionsDlg::done(int result) {
    QDialog::done(result);
    // Shown again, the dialog starts from the stored values as a new one would.
    m_reloadOnShow = true;
}

void OptionsDlg::showEvent(QShowEvent* event) {
    if (m_reloadOnShow && !event->spontaneous()) {
        m_reloadOnShow = false;
        Load();
    }
    QDialog::showEvent(event);
}
