// The recovery copy across a killed editor: a child process runs the program's start as main()
// does, draws, and is killed with SIGKILL once its copy is on the disk; the next start (here,
// in this process, with the message boxes answered by the recorder) offers it, and Yes brings
// the picture back exactly, untitled, modified, with an empty history, instead of the file
// named on the command line; No deletes it; a damaged copy is put aside; a clean end leaves
// no copy. Also the autosave's timing rule and its waiting out of a stroke and a dialog.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include <QCoreApplication>
#include <QDialog>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "core/image.h"
#include "core/layer.h"
#include "core/recovery_copy.h"
#include "document/render_window.h"
#include "document/undo_history.h"
#include "platform/qt/single_instance.h"
#include "shell/autosave.h"
#include "shell/program.h"
#include "shell/recovery.h"
#include "tests/shell/main_form_fixture.h"
#include "tests/support/test_support.h"

namespace {

const char KChildFolder[] = "MOSAIKO_RECOVERY_CHILD";

struct CopyDeleter {
    void operator()(TRecoveryCopy* copy) const { TRecoveryCopy_Destroy(copy); }
};
using CopyPtr = std::unique_ptr<TRecoveryCopy, CopyDeleter>;

// Both processes use the folders below root: settings (so both have the same instance name),
// the user's data (where the copies go), home and the runtime folder; never the user's own.
void UseFolders(const std::string& root, const std::string& settings) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settings));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(root + "/data"));
    qputenv("HOME", QByteArray::fromStdString(root + "/home"));
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(root + "/run"));
    mkdir((root + "/run").c_str(), 0700);
    QCoreApplication::setOrganizationName("Velmar");
    QCoreApplication::setApplicationName("Mosaiko");
}

template <typename Pred> bool WaitFor(Pred pred, int ms) {
    for (int waited = 0; waited < ms && !pred(); waited += 50)
        QTest::qWait(50);
    return pred();
}

// The copy of an editor that holds the instance name, as the started program has it.
std::string HeldCopyPath() {
    return Recovery_Folder() + "/" + SingleInstance_Key() + ".rcv";
}

bool SamePlanes(const TImage* a, const TImage* b) {
    return PixelDump(a) == PixelDump(b);
}

// The document's state as a copy would hold it, against another copy; the name and modified
// state are checked by the callers.
void ExpectSameDocument(const TRecoveryCopy* seen, const TRecoveryCopy* expected) {
    EXPECT_TRUE(SamePlanes(seen->FBackground, expected->FBackground));
    EXPECT_EQ(seen->FFloatMode, expected->FFloatMode);
    ASSERT_EQ(seen->FFloat == nullptr, expected->FFloat == nullptr);
    if (seen->FFloat) {
        EXPECT_TRUE(SamePlanes(seen->FFloat, expected->FFloat));
        EXPECT_EQ(seen->FFloatLeft, expected->FFloatLeft);
        EXPECT_EQ(seen->FFloatTop, expected->FFloatTop);
    }
    EXPECT_EQ(std::memcmp(seen->FPalette, expected->FPalette, sizeof seen->FPalette), 0);
}

class RecoveryTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        FRoot = TestTempDir();
        FSettings = FRoot + "/config";
        UseFolders(FRoot, FSettings);
        FPicture = FRoot + "/named.bmp";
        ImagePtr image(TImage_Create(3, 2, 24, TIF_BOTTOMUP));
        ASSERT_EQ(TImage_SaveFile(image.get(), FPicture.c_str()), 0);
    }
    void TearDown() override {
        Autosave_Stop(0);
        MainFormTest::TearDown();
        SingleInstance_Release();
    }

    // Starts the child editor, waits until its copy holds what it drew, and kills it. The copy
    // the child wrote of its own document is left at FExpected.
    void RunAndKillChild() {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(KChildFolder, QString::fromStdString(FRoot));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=RecoveryChild.*", "--gtest_also_run_disabled_tests"});
        ASSERT_TRUE(child.waitForStarted(10000));
        FExpected = FRoot + "/expected.rcv";
        const std::string path = HeldCopyPath();
        CopyPtr expected;
        bool written = WaitFor(
            [&] {
                if (!expected) expected.reset(RecoveryCopy_Load(FExpected.c_str()));
                CopyPtr copy(RecoveryCopy_Load(path.c_str()));
                return expected && copy &&
                       PixelDump(copy->FBackground) == PixelDump(expected->FBackground) &&
                       copy->FFloat && copy->FFloatLeft == expected->FFloatLeft;
            },
            30000);
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        ASSERT_TRUE(written) << "no copy of the drawing at " << path;
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit);
    }

    std::string FRoot, FSettings, FPicture, FExpected;
};

} // namespace

// The child editor: the program's start as main() does it, a pen stroke and Invert through the
// real main window, a cut floating selection moved off the corner, then the loop until killed.
TEST(RecoveryChild, DISABLED_DrawsUntilKilled) {
    const std::string root = qEnvironmentVariable(KChildFolder).toStdString();
    ASSERT_FALSE(root.empty()) << "run by RecoveryTest only";
    UseFolders(root, root + "/config");
    TMainForm* form = Program_Start({"mosaiko"});
    ASSERT_NE(form, nullptr);
    QApplication::processEvents();
    TWorkForm* doc = TMainForm_GetActiveWorkForm(form);
    QWidget* render = doc->FRenderWindow->FWidget;
    QTest::mousePress(render, Qt::LeftButton, {}, QPoint(10, 10));
    for (int i = 1; i <= 20; ++i)
        QTest::mouseMove(render, QPoint(10 + 7 * i, 10 + 3 * i));
    QTest::mouseRelease(render, Qt::LeftButton, {}, QPoint(150, 70));
    TMainForm_FindAction(form, KCmdInvert)->trigger();
    TRectXYWH area = {2, 3, 9, 5};
    ASSERT_EQ(TWorkForm_Select(doc, &area, TWS_CUT_FLOAT), 0);
    TWorkForm_MoveSelection(doc, -4, 20, 1);
    CopyPtr own(TWorkForm_MakeRecoveryCopy(doc));
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(RecoveryCopy_Save(own.get(), (root + "/expected.rcv").c_str()), 0);
    for (;;)
        QTest::qWait(100);
}

TEST_F(RecoveryTest, KilledEditorsPictureIsOfferedAndRecoveredExactlyAndACleanEndLeavesNone) {
    RunAndKillChild();
    const std::string path = HeldCopyPath();
    MessageBoxQueueAnswer(IDYES);
    FForm = Program_Start({"mosaiko", QString::fromStdString(FPicture)});
    ASSERT_NE(FForm, nullptr);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText,
              "Mosaiko was not closed properly. Recover the unsaved picture?");
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "Mosaiko");
    EXPECT_EQ(MessageBoxRecords()[0].FFlags, MB_YESNO | MB_ICONQUESTION);

    // The drawing, not the file named on the command line.
    CopyPtr expected(RecoveryCopy_Load(FExpected.c_str()));
    ASSERT_NE(expected, nullptr);
    CopyPtr seen(TWorkForm_MakeRecoveryCopy(Doc()));
    ASSERT_NE(seen, nullptr);
    ExpectSameDocument(seen.get(), expected.get());
    EXPECT_EQ(seen->FFloatMode, TRF_CUT);
    EXPECT_EQ(Doc()->FFileName, "");
    EXPECT_TRUE(TWorkForm_IsModified(Doc()));
    EXPECT_EQ(TUndoHistory_GetCount(Doc()->FHistory), 0);
    TWorkForm_Undo(Doc());
    EXPECT_TRUE(TWorkForm_IsModified(Doc())) << "nothing of it is on the disk";

    // The save question answered No: the clean end removes the copy.
    EXPECT_TRUE(FileExists(path));
    MessageBoxQueueAnswer(IDNO);
    EXPECT_EQ(TMainForm_Exit(FForm), 1);
    FForm = nullptr;
    Program_Finish();
    EXPECT_FALSE(FileExists(path));
}

TEST_F(RecoveryTest, NoDeletesTheCopyAndTheStartGoesOn) {
    RunAndKillChild();
    const std::string path = HeldCopyPath();
    MessageBoxQueueAnswer(IDNO);
    FForm = Program_Start({"mosaiko", QString::fromStdString(FPicture)});
    ASSERT_NE(FForm, nullptr);
    EXPECT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(Doc()->FFileName, FPicture);
    EXPECT_FALSE(TWorkForm_IsModified(Doc()));
    Program_Finish();
    FForm = nullptr;
}

TEST_F(RecoveryTest, DamagedCopyIsReportedAndPutAsideOnce) {
    const std::string path = HeldCopyPath();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        WriteWholeFile(path, {'M', 'O', 'S', 'A', 'I', 'K', 'O', 0x1A, uint8_t(round)});
        MessageBoxClearRecords();
        FForm = Program_Start({"mosaiko"});
        ASSERT_NE(FForm, nullptr);
        ASSERT_EQ(MessageBoxRecords().size(), 1u);
        EXPECT_EQ(MessageBoxRecords()[0].FText, "The recovery file is damaged and was not opened.");
        EXPECT_EQ(MessageBoxRecords()[0].FCaption, "Mosaiko");
        EXPECT_FALSE(FileExists(path));
        EXPECT_EQ(ReadWholeFile(path + KRecoveryDamagedSuffix).back(), uint8_t(round));
        Program_Finish();
        FForm = nullptr;
    }
    EXPECT_EQ(ListFolder(Recovery_Folder()).size(), 1u);
}

TEST(Autosave, WritesAfterTwoQuietSecondsOrThirtyOfChanges) {
    struct Row {
        int64_t FNow, FFirst, FLast;
        int FDue;
    } rows[] = {
        {5000, -1, -1, 0},      // nothing changed
        {1999, 0, 0, 0},        // still within the quiet time
        {2000, 0, 0, 1},        // quiet for 2 s
        {29999, 0, 28000, 0},   // changes go on
        {30000, 0, 29000, 1},   // 30 s of changes at the latest
    };
    for (const Row& row : rows)
        EXPECT_EQ(Autosave_Due(row.FNow, row.FFirst, row.FLast), row.FDue) << row.FNow;
}

TEST_F(RecoveryTest, AutosaveWaitsOutAStrokeAndADialog) {
    Start();
    const std::string path = FRoot + "/waits.rcv";
    Doc()->FStylusDown = 1; // the ticks of the wait find the stylus down
    Autosave_Start(path, 1);
    QTest::qWait(KAutosaveQuietMs + 300);
    EXPECT_EQ(Autosave_Tick(), 0);
    EXPECT_FALSE(FileExists(path));
    Doc()->FStylusDown = 0;
    QDialog dialog(FForm->FHandle);
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_EQ(Autosave_Tick(), 0);
        dialog.reject();
    });
    dialog.exec();
    EXPECT_EQ(Autosave_Tick(), 1);
    EXPECT_EQ(Autosave_Wait(), 0);
    CopyPtr copy(RecoveryCopy_Load(path.c_str()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->FModified, 0);
    Autosave_Stop(1);
    EXPECT_FALSE(FileExists(path));
}
