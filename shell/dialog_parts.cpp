// The shared pieces of the shell's dialogs.
#include "shell/dialog_parts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QLabel* Dialog_CreateHeading(const QString& text, QWidget* parent) {
    QLabel* heading = new QLabel(text, parent);
    QFont font = heading->font();
    font.setWeight(QFont::Bold);
    heading->setFont(font);
    return heading;
}

QFrame* Dialog_CreateSeparator(QWidget* parent) {
    QFrame* separator = new QFrame(parent);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Plain);
    return separator;
}

QDialogButtonBox* Dialog_CreateOkCancel(QDialog* dialog) {
    QDialogButtonBox* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

QHBoxLayout* Dialog_CreateButtonRow(const QString& extraText, QWidget* parent, QPushButton** extra,
                                    QPushButton** ok, QPushButton** cancel) {
    *extra = new QPushButton(extraText, parent);
    *ok = new QPushButton(QStringLiteral("OK"), parent);
    *cancel = new QPushButton(QStringLiteral("Cancel"), parent);
    (*extra)->setAutoDefault(false);
    (*ok)->setDefault(true);
    QHBoxLayout* row = new QHBoxLayout();
    row->addWidget(*extra);
    row->addStretch(1);
    row->addWidget(*ok);
    row->addWidget(*cancel);
    return row;
}
