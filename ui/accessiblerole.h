#pragma once

#include <QtWidgets/QAccessibleWidget>

// The description a screen reader gets of a widget of class T: role `role`, for the widgets
// whose own class would be described by the wrong one.
template<class T, QAccessible::Role role>
QAccessibleInterface *accessibleAs(const QString &className, QObject *object)
{
    if (className != QLatin1String(T::staticMetaObject.className()) || !object
        || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), role);
}

// Installs that description once, when the first widget of class T is built.
template<class T, QAccessible::Role role>
void announceToScreenReadersAs()
{
    static const bool installed = (QAccessible::installFactory(accessibleAs<T, role>), true);
    Q_UNUSED(installed);
}
