// The main form's own Qt classes and the few helpers its files share: the top-level window that
// carries the record and turns close, drag and drop into main-form operations, and the client
// area whose size changes run the layout. Private to the main form's files (main_form*.cpp,
// commands.cpp).
#pragma once

#include <cstdint>

#include <QMainWindow>
#include <QWidget>

struct TMainForm;
struct TWorkForm;

class TMainWindow final : public QMainWindow {
  public:
    TMainWindow();
    // Destroyed by anything but the exit sequence, it takes what is left of the form down.
    ~TMainWindow() override;
    TMainWindow(const TMainWindow&) = delete;
    TMainWindow& operator=(const TMainWindow&) = delete;

    TMainForm* FForm = nullptr; // borrowed; null once the form is gone

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

class TClientArea final : public QWidget {
  public:
    explicit TClientArea(QWidget* parent) : QWidget(parent) {}

  protected:
    void resizeEvent(QResizeEvent* event) override;
};

// A work form just made under the client area while another document may still be shown: its
// window stays hidden until it is placed, and the current document stays the active one.
void MainForm_HoldNewWorkForm(TMainForm* form, TWorkForm* fresh);
// Makes fresh the document (the save question first), places and fits it, and writes status
// (when not null) and the image size. 0; -1 when cancelled or failed: the error shown, fresh
// destroyed, the current document kept.
int MainForm_TakeDocument(TMainForm* form, TWorkForm* fresh, const char* status);
// Pane 1's "WxH".
void MainForm_ShowSize(TMainForm* form, int32_t width, int32_t height);
// The menu bar with its menus, image buttons and shortcuts, the state items, and what keeps the
// states current (the event watch and the clipboard cache). 0; -1 with EC_WINDOW_CREATE.
int MainForm_CreateMenus(TMainForm* form);
