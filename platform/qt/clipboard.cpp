// Byte blocks on QClipboard. The data stays with the clipboard once set (Qt owns the QMimeData).
#include "platform/qt/clipboard.h"

#include <new>

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

static QClipboard* TheClipboard() {
    return QGuiApplication::instance() ? QGuiApplication::clipboard() : nullptr;
}

int Clipboard_SetItems(const std::vector<TClipboardItem>& items) {
    QClipboard* clipboard = TheClipboard();
    if (!clipboard) return -1;
    QMimeData* data = new (std::nothrow) QMimeData();
    if (!data) return -1;
    for (const TClipboardItem& item : items)
        data->setData(QString::fromStdString(item.first),
                      QByteArray(reinterpret_cast<const char*>(item.second.data()),
                                 qsizetype(item.second.size())));
    clipboard->setMimeData(data);
    return 0;
}

int Clipboard_HasFormat(const char* mimeType) {
    QClipboard* clipboard = TheClipboard();
    if (!clipboard || !mimeType) return 0;
    const QMimeData* data = clipboard->mimeData();
    return data && data->hasFormat(QString::fromUtf8(mimeType)) ? 1 : 0;
}

int Clipboard_GetItem(const char* mimeType, std::vector<uint8_t>* out) {
    if (!out) return -1;
    out->clear();
    if (!Clipboard_HasFormat(mimeType)) return -1;
    QByteArray bytes = TheClipboard()->mimeData()->data(QString::fromUtf8(mimeType));
    out->assign(reinterpret_cast<const uint8_t*>(bytes.constData()),
                reinterpret_cast<const uint8_t*>(bytes.constData()) + bytes.size());
    return 0;
}

void Clipboard_ClearOwn(const char* mimeType) {
    if (Clipboard_HasFormat(mimeType)) TheClipboard()->clear();
}
