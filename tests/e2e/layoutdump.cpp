#include "form.h"
#include "layout.h"

#include <QtCore/QJsonArray>
#include <QtCore/QJsonDocument>
#include <QtCore/QJsonObject>
#include <QtCore/QTextStream>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>

// Prints the window's controls as the end-to-end tests need them, as JSON: each layout table
// row's name, kind, caption and accessible name, with the rectangle its control takes in the
// window's client area in pixels, measured on the built window. The tests click and read the
// screen by these rectangles, so they follow the table instead of a copy of it.

namespace {

const char *kindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
        return "Label";
    case ControlKind::PushButton:
        return "PushButton";
    case ControlKind::LineEdit:
        return "LineEdit";
    case ControlKind::CheckBox:
        return "CheckBox";
    case ControlKind::RadioButton:
        return "RadioButton";
    case ControlKind::GroupBox:
        return "GroupBox";
    case ControlKind::Picture:
        return "Picture";
    case ControlKind::Lamp:
        return "Lamp";
    case ControlKind::Line:
        return "Line";
    }
    return "";
}

QJsonArray rectArray(const QRect &rect)
{
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    const Form form(&window);

    QJsonArray controls;
    for (const ControlEntry &entry : dawnbellLayout()) {
        const QWidget *widget = window.findChild<QWidget *>(entry.name);
        if (!widget) {
            QTextStream(stderr) << "no control built for " << entry.name << "\n";
            return 1;
        }
        const QRect rect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        controls.append(QJsonObject{
                {QStringLiteral("name"), QString::fromLatin1(entry.name)},
                {QStringLiteral("kind"), QString::fromLatin1(kindName(entry.slot.kind))},
                {QStringLiteral("caption"), QString::fromLatin1(entry.caption)},
                {QStringLiteral("accessibleName"),
                 entry.accessibleName ? QJsonValue(QString::fromLatin1(entry.accessibleName))
                                      : QJsonValue()},
                {QStringLiteral("rect"), rectArray(rect)},
        });
    }
    const QJsonObject layout{{QStringLiteral("window"), rectArray(window.rect())},
                             {QStringLiteral("controls"), controls}};
    QTextStream(stdout) << QJsonDocument(layout).toJson(QJsonDocument::Indented);
    return 0;
}
