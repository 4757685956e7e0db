// The main form's life and its documents: creation (window, menus, status bar, the start-up
// document), the document table with its save question, New and Open into the form, the exit
// sequence, and the main window's own events (close, drag and drop). Layout and status texts
// live in main_form_layout.cpp, menus in main_form_menus.cpp, commands in commands.cpp.
#include "shell/main_form.h"

#include <new>
#include <string>

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMimeData>
#include <QPalette>
#include <QScreen>
#include <QUrl>

#include "core/error.h"
#include "document/host.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "platform/qt/clipboard.h"
#include "platform/qt/timer.h"
#include "resources/resources.h"
#include "shell/application.h"
#include "shell/main_window.h"
#include "shell/settings.h"
#include "shell/strings.h"
#include "shell/text_dialog.h"
#include "tools/status_bar.h"
#include "tools/tool_bar.h"

static TMainForm* GMainForm = nullptr;

TMainForm* TMainForm_Get() {
    return GMainForm;
}

int MessageBoxFromString(void* owner, int id, int style) {
    return MessageBoxShow(owner, String_Load(id), String_Load(KStrProgramName), style);
}

// ---- The main window ----

TMainWindow::TMainWindow() {
    setAcceptDrops(true);
}

TMainWindow::~TMainWindow() {
    if (!FForm) return;
    TMainForm* form = FForm;
    FForm = nullptr;
    form->FHandle = nullptr;
    TMainForm_Destroy(form);
    TApplication_PostQuit(0);
}

// The window's close button runs the exit sequence; its Cancel keeps the window.
void TMainWindow::closeEvent(QCloseEvent* event) {
    if (!FForm || TMainForm_Exit(FForm))
        event->accept();
    else
        event->ignore();
}

static std::string DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return std::string();
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile().toStdString();
    return std::string();
}

void TMainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).empty()) event->acceptProposedAction();
}

// Opened once the drop is over: the save question must not hold the drag protocol up.
void TMainWindow::dropEvent(QDropEvent* event) {
    std::string path = DroppedFile(event->mimeData());
    if (path.empty()) return;
    event->acceptProposedAction();
    PostCall(
        [path] {
            TMainForm* form = TMainForm_Get();
            if (!form) return;
            TMainForm_OpenFile(form, path.c_str());
            TMainForm_UpdateMenus(form);
        },
        this);
}

void TClientArea::resizeEvent(QResizeEvent*) {
    TMainForm* form = TMainForm_Get();
    if (form && form->FClient == this) TMainForm_Layout(form);
}

// A sensible desktop size, never larger than the screen's free area, centred on it.
static void PlaceOnScreen(QMainWindow* window) {
    int width = KDefaultMainWidth, height = KDefaultMainHeight;
    QRect free;
    if (QScreen* screen = QGuiApplication::primaryScreen()) free = screen->availableGeometry();
    if (free.isValid()) {
        // Room for the window manager's frame.
        if (width > free.width() * 9 / 10) width = free.width() * 9 / 10;
        if (height > free.height() * 9 / 10) height = free.height() * 9 / 10;
    }
    window->resize(width, height);
    if (free.isValid())
        window->move(free.x() + (free.width() - width) / 2,
                     free.y() + (free.height() - height) / 2);
}

static int CreateWindow(TMainForm* form) {
    TMainWindow* window = new (std::nothrow) TMainWindow();
    if (!window) return SetLastErrorCode(EC_WINDOW_CREATE), -1;
    window->FForm = form;
    form->FHandle = window;
    window->setObjectName(QString::fromUtf8(String_Load(KStrWindowClass)));
    window->setWindowTitle(QString::fromUtf8(String_Load(KStrProgramName)));
    window->setWindowIcon(Resource_ProgramIcon());

    TClientArea* client = new (std::nothrow) TClientArea(window);
    if (!client) return SetLastErrorCode(EC_WINDOW_CREATE), -1;
    client->setObjectName(QStringLiteral("Client"));
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, QColor(64, 64, 64)); // dark grey behind everything
    client->setPalette(palette);
    client->setAutoFillBackground(true);
    window->setCentralWidget(client);
    form->FClient = client;

    if (MainForm_CreateMenus(form) != 0) return -1;
    PlaceOnScreen(window);
    // The client gets its size now, so the first document is fitted to the real view.
    if (window->layout()) window->layout()->activate();
    return 0;
}

// ---- The document host ----

static void HostSetStatusText(const char* text) {
    TMainForm_SetStatusText(GMainForm, text);
}

static void HostShowImageSize(int32_t width, int32_t height) {
    MainForm_ShowSize(GMainForm, width, height);
}

static void InstallHost(TMainForm* form) {
    TDocumentHost host = {};
    host.FShowImageSize = HostShowImageSize;
    host.FSetStatusText = HostSetStatusText;
    host.FBeginWait = WaitCursor_Begin;
    host.FEndWait = WaitCursor_End;
    host.FReadUseGrid = ReadUseGrid;
    if (form->FToolBar) TToolBar_FillHost(&host);
    DocumentHost_Install(&host);
}

// ---- Life ----

TMainForm* TMainForm_Create(int show) {
    TMainForm* form = new (std::nothrow) TMainForm();
    if (!form) {
        SetLastErrorCode(EC_NO_MEMORY);
        ShowLastError();
        return nullptr;
    }
    form->FActiveIndex = -1;
    GMainForm = form;
    TApplication_Get()->FMainForm = form;
    if (CreateWindow(form) != 0) {
        ShowLastError();
        return TMainForm_Destroy(form);
    }
    // The program goes on without a tool bar when it cannot be made: the host then answers
    // with its plain defaults.
    form->FToolBar = TToolBar_Create(form->FClient);
    if (!form->FToolBar) ShowPlatformError(form->FHandle);
    InstallHost(form);
    TextDialog_InstallHooks(); // the text tool's dialog and colour chooser
    // The program goes on without a status bar when it cannot be made.
    form->FStatusBar = TStatusBar_Create(form->FClient);
    if (form->FStatusBar && ReadStatusBarVisible()) form->FStatusBar->FHandle->show();
    ClearLastErrorCode();

    const TSizePreset& preset = ReadCanvasPreset();
    const std::string& path = TApplication_GetStartupPath();
    bool opened = !path.empty() && TMainForm_OpenFile(form, path.c_str()) == 1;
    if (!opened && TMainForm_NewImage(form, preset.FWidth, preset.FHeight) != 0)
        return TMainForm_Destroy(form);
    if (form->FStatusBar) TMainForm_SetStatusText(form, "");
    TMainForm_UpdateMenus(form);
    if (show) form->FHandle->show();
    return form;
}

// Everything but the question: documents, status bar, host, window (deleted now, or later
// when the exit sequence runs inside one of the window's own events).
static void TearDown(TMainForm* form, bool deleteLater) {
    TMainForm_CloseAll(form, 0);
    DocumentHost_Install(nullptr);
    form->FToolBar = TToolBar_Destroy(form->FToolBar);
    form->FStatusBar = TStatusBar_Destroy(form->FStatusBar);
    if (TMainWindow* window = static_cast<TMainWindow*>(form->FHandle)) {
        window->FForm = nullptr;
        if (deleteLater) {
            window->hide();
            window->deleteLater();
        } else {
            delete window;
        }
    }
    if (GMainForm == form) GMainForm = nullptr;
    TApplication_Get()->FMainForm = nullptr;
    delete form;
}

TMainForm* TMainForm_Destroy(TMainForm* form) {
    if (form) TearDown(form, false);
    return nullptr;
}

int TMainForm_Exit(TMainForm* form) {
    if (!form) return 1;
    if (TMainForm_CloseAll(form, 1) != 0) return 0;
    Clipboard_ClearOwn(KClipboardMimeType);
    TearDown(form, true);
    TApplication_Free();
    TApplication_PostQuit(0);
    return 1;
}

// ---- Documents ----

TWorkForm* TMainForm_GetActiveWorkForm(TMainForm* form) {
    if (!form || form->FActiveIndex < 0 || form->FActiveIndex >= KMainFormSlots) return nullptr;
    return form->FWorkForms[form->FActiveIndex];
}

int TMainForm_CloseAll(TMainForm* form, int prompt) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    for (int32_t i = 0; i < KMainFormSlots; ++i) {
        TWorkForm* workForm = form->FWorkForms[i];
        if (!workForm) continue;
        if (prompt && TWorkForm_IsModified(workForm)) {
            int answer = MessageBoxFromString(static_cast<QWidget*>(form->FHandle), KStrSavePrompt,
                                              MB_YESNOCANCEL | MB_ICONQUESTION);
            // Anything but Yes or No counts as Cancel; a failed or cancelled save keeps the
            // document too (its failure has been shown), so no work is lost.
            if ((answer != IDYES && answer != IDNO) ||
                (answer == IDYES && TWorkForm_Save(workForm) != 0)) {
                ClearLastErrorCode();
                return -1;
            }
        }
        // The tool bar's grids show the document's palettes: unbind them before they go.
        if (form->FToolBar) TToolBar_BindPalettes(nullptr, nullptr, nullptr);
        form->FWorkForms[i] = TWorkForm_Destroy(workForm);
        --form->FWorkFormCount;
        if (form->FActiveIndex == i) form->FActiveIndex = -1;
    }
    form->FWorkFormCount = 0;
    form->FActiveIndex = -1;
    return 0;
}

int TMainForm_AddWorkForm(TMainForm* form, TWorkForm* workForm) {
    if (!form || !workForm) return SetLastErrorCode(EC_WORKFORM_CREATE), -1;
    TWorkForm* current = TMainForm_GetActiveWorkForm(form);
    if (current) TWorkForm_SetActive(current);
    if (TMainForm_CloseAll(form, 1) != 0) return -1;
    form->FWorkForms[0] = workForm;
    form->FWorkFormCount = 1;
    form->FActiveIndex = 0;
    TWorkForm_SetActive(workForm);
    if (form->FToolBar)
        TToolBar_BindPalettes(workForm->FPalette, workForm->FColourStrip,
                              &workForm->FColourStripCount);
    return 0;
}

void MainForm_HoldNewWorkForm(TMainForm* form, TWorkForm* fresh) {
    if (fresh && fresh->FWindow) fresh->FWindow->hide();
    if (TWorkForm* current = TMainForm_GetActiveWorkForm(form)) TWorkForm_SetActive(current);
}

int MainForm_TakeDocument(TMainForm* form, TWorkForm* fresh, const char* status) {
    if (TMainForm_AddWorkForm(form, fresh) != 0) {
        ShowLastError(); // nothing when the question was cancelled
        TWorkForm_Destroy(fresh);
        if (TWorkForm* current = TMainForm_GetActiveWorkForm(form)) TWorkForm_SetActive(current);
        return -1;
    }
    TMainForm_PlaceWorkForm(form, fresh);
    TWorkForm_FitToScreen(fresh);
    if (status) TMainForm_SetStatusText(form, status);
    TMainForm_ShowImageSize(form);
    return 0;
}

// A work form under the client area, held back until it is placed. Null after the error was
// shown.
static TWorkForm* NewWorkForm(TMainForm* form) {
    TWorkForm* fresh = TWorkForm_Create(form->FClient);
    if (!fresh) {
        ShowLastError();
        if (TWorkForm* current = TMainForm_GetActiveWorkForm(form)) TWorkForm_SetActive(current);
        return nullptr;
    }
    MainForm_HoldNewWorkForm(form, fresh);
    return fresh;
}

int TMainForm_NewImage(TMainForm* form, int32_t width, int32_t height) {
    if (!form) {
        SetLastErrorCode(EC_NULL_OBJECT);
        ShowLastError();
        return -1;
    }
    TWorkForm* fresh = NewWorkForm(form);
    if (!fresh) return -1;
    if (TWorkForm_New(fresh, width, height) != 0) {
        ShowLastError();
        TWorkForm_Destroy(fresh);
        MainForm_HoldNewWorkForm(form, nullptr);
        return -1;
    }
    return MainForm_TakeDocument(form, fresh, nullptr);
}

int TMainForm_OpenFile(TMainForm* form, const char* path) {
    if (!form || !path) {
        SetLastErrorCode(EC_NULL_OBJECT);
        ShowLastError();
        return -1;
    }
    TWorkForm* fresh = NewWorkForm(form);
    if (!fresh) return -1;
    int opened = TWorkForm_Open(fresh, path);
    if (opened != 1) {
        if (opened < 0) ShowLastError();
        TWorkForm_Destroy(fresh);
        MainForm_HoldNewWorkForm(form, nullptr);
        return opened < 0 ? -1 : 0;
    }
    return MainForm_TakeDocument(form, fresh, "Open Image") == 0 ? 1 : 0;
}

int TMainForm_OpenRecoveryCopy(TMainForm* form, const TRecoveryCopy* copy) {
    if (!form || !copy) {
        SetLastErrorCode(EC_NULL_OBJECT);
        ShowLastError();
        return -1;
    }
    TWorkForm* fresh = NewWorkForm(form);
    if (!fresh) return -1;
    if (TWorkForm_OpenRecoveryCopy(fresh, copy) != 0) {
        ShowLastError();
        TWorkForm_Destroy(fresh);
        MainForm_HoldNewWorkForm(form, nullptr);
        return -1;
    }
    return MainForm_TakeDocument(form, fresh, nullptr);
}
