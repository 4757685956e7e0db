// The About and Help dialogs. About shows the program icon, "Mosaiko Version 1.0" in bold, the
// logo (our own pixel map, about_logo.xpm), the e-mail address drawn by the dialog itself in
// blue into the rectangle of an empty placeholder, and the web site. Help names the web site
// under a bold heading with a one-pixel rule at y = 24. Reads nothing and writes nothing.
#include "shell/about_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/colour.h"
#include "resources/resources.h"
#include "shell/strings.h"

#include "shell/about_logo.xpm"

const char* const KContactEmail = "mosaiko@example.org";
const char* const KContactWeb = "https://mosaiko.example.org";

static const char KVersion[] = "1.0";
enum { KIconSize = 32, KHelpRuleY = 24 };

namespace {
class TAboutDialog final : public QDialog {
  public:
    explicit TAboutDialog(QWidget* owner);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* FEmail; // the placeholder the address is drawn into; paints nothing itself
};

class THelpDialog final : public QDialog {
  public:
    explicit THelpDialog(QWidget* owner);

  protected:
    void paintEvent(QPaintEvent* event) override;
};
} // namespace

static QLabel* MakeBoldLabel(const QString& text, QWidget* parent) {
    QLabel* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setWeight(QFont::Bold);
    label->setFont(font);
    return label;
}

static QDialogButtonBox* MakeOkButton(QDialog* dialog) {
    QDialogButtonBox* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    return buttons;
}

// A label with its text beside it, in one row.
static QHBoxLayout* MakeRow(QWidget* first, QWidget* second) {
    QHBoxLayout* row = new QHBoxLayout;
    row->addWidget(first);
    row->addWidget(second);
    row->addStretch(1);
    return row;
}

TAboutDialog::TAboutDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("About.."));

    QLabel* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(Resource_ProgramIcon().pixmap(KIconSize, KIconSize));
    QLabel* version = MakeBoldLabel(
        QStringLiteral("%1 Version %2")
            .arg(QString::fromUtf8(String_Load(KStrProgramName)), QString::fromUtf8(KVersion)),
        this);
    version->setObjectName(QStringLiteral("version"));
    QLabel* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(QPixmap(about_logo_xpm));

    FEmail = new QWidget(this);
    FEmail->setObjectName(QStringLiteral("email"));
    QFontMetrics metrics(font());
    FEmail->setFixedSize(metrics.horizontalAdvance(QString::fromUtf8(KContactEmail)) + 2,
                         metrics.height());
    QLabel* web = new QLabel(QString::fromUtf8(KContactWeb), this);
    web->setObjectName(QStringLiteral("web"));

    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->addLayout(MakeRow(icon, version));
    layout->addWidget(logo);
    layout->addLayout(MakeRow(new QLabel(QStringLiteral("Email: "), this), FEmail));
    layout->addLayout(MakeRow(new QLabel(QStringLiteral("Web: "), this), web));
    layout->addStretch(1);
    layout->addWidget(MakeOkButton(this));
}

void TAboutDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Colour_ToQColor(KEmailColour));
    painter.setFont(font());
    QRect place(FEmail->mapTo(this, QPoint(0, 0)), FEmail->size());
    painter.drawText(place, Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(KContactEmail));
}

THelpDialog::THelpDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Help"));
    QLabel* heading = MakeBoldLabel(QStringLiteral("Help"), this);
    heading->setObjectName(QStringLiteral("heading"));
    // The heading sits wholly above the rule; the lines start below it.
    heading->setFixedHeight(KHelpRuleY - 4);
    QVBoxLayout* layout = new QVBoxLayout(this);
    layout->setContentsMargins(11, 2, 11, 11);
    layout->addWidget(heading);
    layout->addSpacing(4);
    for (const char* line : {"Full documentation and tutorials", "are all available on the Mosaiko",
                             "website, located at", KContactWeb})
        layout->addWidget(new QLabel(QString::fromUtf8(line), this));
    layout->addStretch(1);
    layout->addWidget(MakeOkButton(this));
}

void THelpDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawLine(0, KHelpRuleY, width() - 1, KHelpRuleY);
}

QDialog* About_CreateDialog(QWidget* owner) {
    return new TAboutDialog(owner);
}

QDialog* Help_CreateDialog(QWidget* owner) {
    return new THelpDialog(owner);
}

// The dialog may go with its owner while it runs.
static void RunAndDelete(QDialog* made) {
    QPointer<QDialog> dialog = made;
    dialog->exec();
    delete dialog.data();
}

void About_Run(QWidget* owner) {
    RunAndDelete(About_CreateDialog(owner));
}

void Help_Run(QWidget* owner) {
    RunAndDelete(Help_CreateDialog(owner));
}
