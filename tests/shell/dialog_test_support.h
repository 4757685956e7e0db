// What the dialog tests share: finding a dialog's label or button by its text, and answering a
// modal dialog once exec() has shown it.
#pragma once

#include <functional>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>

inline QLabel* LabelWithText(QWidget* dialog, const QString& text) {
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->text() == text) return label;
    return nullptr;
}

inline QPushButton* Button(QWidget* dialog, const QString& text) {
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

// Runs action on the modal dialog as soon as exec() has shown it.
inline void WhenModal(const std::function<void(QWidget*)>& action) {
    QTimer::singleShot(0, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return WhenModal(action);
        action(modal);
    });
}
