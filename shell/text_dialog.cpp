// The Text dialog: its window and controls (each control's id is its object name), the stored
// TextForm settings read into them with out-of-range values falling back to their defaults, the
// font the controls describe kept in the record as they change, the preview, and the colour
// button. Also the shell's installation of the text tool's hooks.
#include "shell/text_dialog.h"

#include <cstddef>
#include <cstdint>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>
#include <QValidator>

#include "core/error.h"
#include "platform/qt/colour.h"
#include "platform/qt/settings.h"
#include "shell/dialog_parts.h"
#include "shell/main_form.h"
#include "shell/palette_setup_dialog.h"
#include "tools/text.h"
#include "tools/text_hooks.h"
#include "tools/tool_bar.h"

static const char KTextKey[] = "Software\\Velmar\\Mosaiko\\TextForm";
enum { KNormal = 400, KBold = 700, KMaxWeight = 1000, KColourButtonSize = 32 };

// Characters, not UTF-16 units: a pair of surrogates is one character.
static qsizetype CharCount(const QString& text) {
    qsizetype chars = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++chars)
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    return chars;
}

static QString CutToChars(const QString& text, qsizetype maxChars) {
    qsizetype chars = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++chars) {
        if (chars == maxChars) return text.left(i);
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    return text;
}

static std::string ToUtf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

namespace {
// Refuses an edit that would make the text longer than KTextMaxChars characters.
class TTextLimit final : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return CharCount(input) <= KTextMaxChars ? Acceptable : Invalid;
    }
};

// The preview: a sunken panel with the edit's text in the record's font and the primary colour.
class TTextPreview final : public QFrame {
  public:
    TTextPreview(QWidget* parent, TTextForm* record, QLineEdit* edit)
        : QFrame(parent), FRecord(record), FEdit(edit) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
        setMinimumHeight(40);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        painter.setFont(TText_MakeFont(FRecord->FFont));
        painter.setPen(Colour_ToQColor(TToolBar_GetPrimaryColor()));
        painter.setClipRect(contentsRect());
        painter.drawText(contentsRect().adjusted(2, 0, -2, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, FEdit->text());
    }

  private:
    TTextForm* FRecord;
    QLineEdit* FEdit;
};

// The colour button: its face filled with the primary colour.
class TColourButton final : public QPushButton {
  public:
    explicit TColourButton(QWidget* parent) : QPushButton(parent) {
        setFixedSize(KColourButtonSize, KColourButtonSize);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPushButton::paintEvent(event);
        QPainter painter(this);
        painter.fillRect(rect().adjusted(4, 4, -4, -4),
                         Colour_ToQColor(TToolBar_GetPrimaryColor()));
    }
};

class TTextWindow final : public QDialog {
  public:
    TTextWindow(QWidget* parent, TTextForm* record) : QDialog(parent), FRecord(record) {}
    ~TTextWindow() override {
        if (FRecord) FRecord->FHandle = nullptr;
    }
    void Detach() { FRecord = nullptr; }
    // OK and Enter: the text taken and everything stored.
    void accept() override;

    QLineEdit* FEdit = nullptr;       // 1012
    QComboBox* FFontList = nullptr;   // 1035
    QComboBox* FHeightList = nullptr; // 1037
    QCheckBox* FBold = nullptr;       // 1031
    QCheckBox* FItalic = nullptr;     // 1032
    QCheckBox* FUnderline = nullptr;  // 1033
    QCheckBox* FStrikeOut = nullptr;  // 1034
    TTextPreview* FPreview = nullptr; // 1036
    TColourButton* FColour = nullptr; // 1049
    QStringList FFamilies;            // the installed font families, in the list's order

  private:
    TTextForm* FRecord;
};
} // namespace

int TextForm_FindFace(const QStringList& families, const QString& face) {
    if (face.isEmpty()) return 0;
    for (qsizetype i = 0; i < families.size(); ++i)
        if (families.at(i).compare(face, Qt::CaseInsensitive) == 0) return int(i);
    for (qsizetype n = 1; n <= families.size(); ++n) {
        qsizetype i = n % families.size();
        if (families.at(i).startsWith(face, Qt::CaseInsensitive)) return int(i);
    }
    return 0;
}

// A stored number, or def when it lies outside [low, high].
static int32_t ReadInRange(TSettingsKey* key, const char* name, int32_t low, int32_t high,
                           int32_t def) {
    int32_t value = RegReadInt(key, name, def);
    return value < low || value > high ? def : value;
}

static QCheckBox* CreateCheck(QWidget* parent, int id, const char* text) {
    QCheckBox* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::number(id));
    return box;
}

static QComboBox* CreateList(QWidget* parent, int id) {
    QComboBox* list = new QComboBox(parent);
    list->setObjectName(QString::number(id));
    return list;
}

// The controls and the font from the stored settings, before any change notice is connected.
static void LoadSettings(TTextForm* form, TTextWindow* window) {
    TSettingsKey* key = RegOpenSettingsKey(KTextKey);
    QString text = QString::fromStdString(RegReadString(key, "Text", SIZE_MAX, "Text"));
    window->FEdit->setText(CutToChars(text, KTextMaxChars));

    window->FFamilies = QFontDatabase::families();
    window->FFontList->addItems(window->FFamilies);
    const int32_t families = int32_t(window->FFamilies.size());
    QString system = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    int32_t found = TextForm_FindFace(window->FFamilies, system);
    window->FFontList->setCurrentIndex(ReadInRange(key, "FontIndex", 0, families - 1, found));

    for (int height = KTextFirstHeight; height <= KTextLastHeight; ++height)
        window->FHeightList->addItem(QString::number(height));
    const int32_t lastIndex = KTextLastHeight - KTextFirstHeight;
    window->FHeightList->setCurrentIndex(ReadInRange(key, "HeightIndex", 0, lastIndex, 0));

    TLogFont& font = form->FFont;
    font = TLogFont();
    font.FFaceName = ToUtf8(window->FFontList->currentText());
    int index = window->FHeightList->currentIndex();
    int32_t height = index >= 0 ? -(index + KTextFirstHeight) : KTextFirstHeight;
    font.FHeight = ReadInRange(key, "FontHeight", -KTextLastHeight, -KTextFirstHeight, height);
    font.FWeight = ReadInRange(key, "Weight", 1, KMaxWeight, KNormal);
    font.FItalic = ReadInRange(key, "Italic", 0, 1, 0);
    font.FUnderline = ReadInRange(key, "Underline", 0, 1, 0);
    font.FStrikeOut = ReadInRange(key, "StrikeOut", 0, 1, 0);
    RegCloseSettingsKey(key);

    window->FBold->setChecked(font.FWeight != KNormal);
    window->FItalic->setChecked(font.FItalic != 0);
    window->FUnderline->setChecked(font.FUnderline != 0);
    window->FStrikeOut->setChecked(font.FStrikeOut != 0);
}

void TTextWindow::accept() {
    if (FRecord) {
        FRecord->FText = ToUtf8(CutToChars(FEdit->text(), KTextMaxChars));
        const TLogFont& font = FRecord->FFont;
        TSettingsKey* key = RegOpenSettingsKey(KTextKey);
        RegWriteString(key, "Text", FRecord->FText);
        RegWriteInt(key, "FontIndex", FFontList->currentIndex());
        RegWriteInt(key, "HeightIndex", FHeightList->currentIndex());
        RegWriteInt(key, "FontHeight", font.FHeight);
        RegWriteInt(key, "Weight", font.FWeight);
        RegWriteInt(key, "Italic", font.FItalic);
        RegWriteInt(key, "Underline", font.FUnderline);
        RegWriteInt(key, "StrikeOut", font.FStrikeOut);
        RegCloseSettingsKey(key);
    }
    QDialog::accept();
}

static void OnColourClicked(TTextWindow* window) {
    uint32_t colour = 0;
    if (TextHooks_ChooseColour(&colour) == 0) TToolBar_SetPrimaryColor(colour);
    window->FColour->update();
    window->FPreview->update();
}

// A check box that sets one of the font's flags and shows the preview again.
static void ConnectFlag(TTextWindow* window, QCheckBox* box, int32_t* flag, int32_t on,
                        int32_t off) {
    QObject::connect(box, &QCheckBox::toggled, window, [window, flag, on, off](bool checked) {
        *flag = checked ? on : off;
        window->FPreview->update();
    });
}

static void ConnectControls(TTextForm* form, TTextWindow* window) {
    TLogFont* font = &form->FFont;
    ConnectFlag(window, window->FBold, &font->FWeight, KBold, KNormal);
    ConnectFlag(window, window->FItalic, &font->FItalic, 1, 0);
    ConnectFlag(window, window->FUnderline, &font->FUnderline, 1, 0);
    ConnectFlag(window, window->FStrikeOut, &font->FStrikeOut, 1, 0);
    QObject::connect(window->FFontList, &QComboBox::currentIndexChanged, window, [window, font] {
        font->FFaceName = ToUtf8(window->FFontList->currentText());
        window->FPreview->update();
    });
    QObject::connect(window->FHeightList, &QComboBox::currentIndexChanged, window,
                     [window, font](int index) {
                         font->FHeight = -(index + KTextFirstHeight);
                         window->FPreview->update();
                     });
    QObject::connect(window->FEdit, &QLineEdit::textChanged, window,
                     [window] { window->FPreview->update(); });
    QObject::connect(window->FColour, &QPushButton::clicked, window,
                     [window] { OnColourClicked(window); });
}

static void BuildControls(TTextForm* form, TTextWindow* window) {
    window->setWindowTitle(QStringLiteral("Text"));
    window->FEdit = new QLineEdit(window);
    window->FEdit->setObjectName(QString::number(KTextEdit));
    window->FEdit->setValidator(new TTextLimit(window->FEdit));
    window->FFontList = CreateList(window, KTextFontList);
    window->FHeightList = CreateList(window, KTextHeightList);
    window->FBold = CreateCheck(window, KTextBold, "Bold");
    window->FItalic = CreateCheck(window, KTextItalic, "Italic");
    window->FUnderline = CreateCheck(window, KTextUnderline, "Underline");
    window->FStrikeOut = CreateCheck(window, KTextStrikeOut, "StrikeOut");
    window->FPreview = new TTextPreview(window, form, window->FEdit);
    window->FPreview->setObjectName(QString::number(KTextPreview));
    window->FColour = new TColourButton(window);
    window->FColour->setObjectName(QString::number(KTextColourButton));

    QHBoxLayout* fonts = new QHBoxLayout();
    fonts->addWidget(window->FFontList, 1);
    fonts->addWidget(window->FHeightList);
    QHBoxLayout* styles = new QHBoxLayout();
    for (QCheckBox* box : {window->FBold, window->FItalic, window->FUnderline, window->FStrikeOut})
        styles->addWidget(box);
    QHBoxLayout* preview = new QHBoxLayout();
    preview->addWidget(window->FPreview, 1);
    preview->addWidget(window->FColour);

    QVBoxLayout* layout = new QVBoxLayout(window);
    layout->addWidget(window->FEdit);
    layout->addLayout(fonts);
    layout->addLayout(styles);
    layout->addLayout(preview);
    layout->addWidget(Dialog_CreateOkCancel(window));
    window->setMinimumWidth(320);
}

int TextForm_Create(TTextForm* form, QWidget* parent) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TTextWindow* window = new TTextWindow(parent, form);
    form->FHandle = window;
    BuildControls(form, window);
    LoadSettings(form, window);
    ConnectControls(form, window);
    return 0;
}

void TextForm_Destroy(TTextForm* form) {
    if (!form || !form->FHandle) return;
    TTextWindow* window = static_cast<TTextWindow*>(form->FHandle);
    window->Detach();
    delete window;
    form->FHandle = nullptr;
}

int TextForm_Run(TTextForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TMainForm* main = TMainForm_Get();
    if (TextForm_Create(form, main ? main->FHandle : nullptr) != 0) {
        ShowLastError();
        return -1;
    }
    if (main) TMainForm_EnterDialog(main);
    int answer = form->FHandle->exec() == QDialog::Accepted ? 0 : -1;
    // The main form may have gone while the dialog ran (the program ending).
    main = TMainForm_Get();
    if (main) TMainForm_LeaveDialog(main);
    TextForm_Destroy(form);
    return answer;
}

void TextDialog_InstallHooks() {
    TTextHooks hooks = {TextForm_Run, PaletteSetup_Run};
    TextHooks_Install(&hooks);
}
