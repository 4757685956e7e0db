// What the main form's tests share: a clean start (settings, clipboard, message boxes, save-name
// provider), the main form made as the program makes it, and its clean destruction between
// tests. Header only: each test program of tests/shell/ is built from one file.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QSettings>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "shell/application.h"
#include "shell/command_ids.h"
#include "shell/main_form.h"
#include "tools/status_bar.h"

// The program's stored settings, as the tests see them.
inline QSettings StoredSettings() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
}

// Whether the clipboard offers type (an empty clipboard offers nothing at all).
inline bool ClipboardOffers(const char* type) {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasFormat(type);
}

// Takes whatever main form exists down without a question, with its window.
inline void DestroyMainForm() {
    TMainForm_Destroy(TMainForm_Get());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    TApplication_Free();
    TApplication_ResetQuit();
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DestroyMainForm();
        QSettings settings = StoredSettings();
        settings.clear();
        settings.sync();
        QApplication::clipboard()->clear();
        MessageBoxSetHandler(nullptr);
        MessageBoxClearRecords();
        TWorkForm_SetSaveNameProvider(nullptr);
        TApplication_SetStartupPath("");
        ClearLastErrorCode();
    }

    void TearDown() override {
        DestroyMainForm();
        FForm = nullptr;
        TWorkForm_SetSaveNameProvider(nullptr);
        MessageBoxSetHandler(nullptr);
        MessageBoxClearRecords();
        TApplication_SetStartupPath("");
    }

    // The main form on path ("" for none), shown, with its events handled.
    void Start(const std::string& path = std::string()) {
        TApplication_SetStartupPath(path);
        FForm = TMainForm_Create(1);
        ASSERT_NE(FForm, nullptr);
        QApplication::processEvents();
    }

    TWorkForm* Doc() { return TMainForm_GetActiveWorkForm(FForm); }
    TLayer* Background() { return Doc() ? Doc()->FLayers[1] : nullptr; }
    QAction* Action(int id) { return TMainForm_FindAction(FForm, id); }

    // Runs command id as a click on its menu item does (the states refreshed first, as the
    // click would), with the events it posts handled.
    void Trigger(int id) {
        QAction* action = Action(id);
        ASSERT_NE(action, nullptr) << id;
        TMainForm_UpdateMenus(FForm);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
        QApplication::processEvents();
    }

    // Paints the whole background one visible colour.
    void Paint(uint32_t colour) {
        TLayer* background = Background();
        ASSERT_NE(background, nullptr);
        for (int32_t y = 0; y < background->FHeight; ++y)
            for (int32_t x = 0; x < background->FWidth; ++x)
                TImage_SetPixelMasked(background->FImage, x, y, colour, 0xFFFFFF);
        TWorkForm_Repaint(Doc());
        QApplication::processEvents();
    }

    // A change the history records, so the document counts as modified.
    void Modify() {
        ASSERT_EQ(TWorkForm_Invert(Doc()), 0);
        ASSERT_TRUE(TWorkForm_IsModified(Doc()));
    }

    std::string PaneText(int index) {
        return FForm->FStatusBar ? FForm->FStatusBar->FPanes[index].FPaneText : std::string();
    }

    TMainForm* FForm = nullptr;
};
