#include "app/gui/snapshot.h"

#include "files/atomic_write.h"

#include <QAbstractButton>
#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QProgressBar>
#include <QRadioButton>
#include <QWidget>

namespace zov::gui {

namespace {

// Qt names some of its own helper widgets "qt_..."; they are not controls.
bool isControlName(const QString& name)
{
    return !name.isEmpty() && !name.startsWith(QStringLiteral("qt_"));
}

QString textOf(const QWidget& widget)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (const auto* box = qobject_cast<const QLineEdit*>(&widget))
        return box->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
        return combo->currentText();
    if (const auto* frame = qobject_cast<const QGroupBox*>(&widget))
        return frame->title();
    if (const auto* menu = qobject_cast<const QMenu*>(&widget))
        return menu->title();
    if (const auto* bar = qobject_cast<const QProgressBar*>(&widget))
        return bar->isTextVisible() ? bar->text() : QString();
    return {};
}

QJsonObject describeWidget(const QWidget& widget, const QWidget& window)
{
    QJsonObject control;
    control.insert(QStringLiteral("class"), QString::fromLatin1(widget.metaObject()->className()));
    control.insert(QStringLiteral("visible"), widget.isVisibleTo(&window));
    control.insert(QStringLiteral("enabled"), widget.isEnabled());
    control.insert(QStringLiteral("text"), textOf(widget));
    if (qobject_cast<const QCheckBox*>(&widget) || qobject_cast<const QRadioButton*>(&widget))
        control.insert(QStringLiteral("checked"), static_cast<const QAbstractButton&>(widget).isChecked());
    if (const auto* list = qobject_cast<const QListWidget*>(&widget)) {
        QJsonArray items;
        QJsonArray selected;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem* item = list->item(i);
            items.append(item->text());
            if (item->isSelected())
                selected.append(item->text());
        }
        control.insert(QStringLiteral("items"), items);
        control.insert(QStringLiteral("selected"), selected);
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        QJsonArray items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        control.insert(QStringLiteral("items"), items);
    }
    const QPoint origin = &widget == &window ? QPoint(0, 0) : widget.mapTo(&window, QPoint(0, 0));
    control.insert(QStringLiteral("geometry"),
                   QJsonArray({origin.x(), origin.y(), widget.width(), widget.height()}));
    return control;
}

QJsonObject describeAction(const QAction& action)
{
    QJsonObject control;
    control.insert(QStringLiteral("class"), QString::fromLatin1(action.metaObject()->className()));
    control.insert(QStringLiteral("visible"), action.isVisible());
    control.insert(QStringLiteral("enabled"), action.isEnabled());
    control.insert(QStringLiteral("text"), action.text());
    if (action.isCheckable())
        control.insert(QStringLiteral("checked"), action.isChecked());
    return control;
}

}  // namespace

QJsonObject describeControls(const QWidget& window)
{
    QJsonObject controls;
    for (const QWidget* widget : window.findChildren<QWidget*>()) {
        if (isControlName(widget->objectName()))
            controls.insert(widget->objectName(), describeWidget(*widget, window));
    }
    for (const QAction* action : window.findChildren<QAction*>()) {
        if (isControlName(action->objectName()) && !controls.contains(action->objectName()))
            controls.insert(action->objectName(), describeAction(*action));
    }
    QJsonObject root;
    root.insert(QStringLiteral("windowTitle"), window.windowTitle());
    root.insert(QStringLiteral("controls"), controls);
    return root;
}

bool writeSnapshot(QWidget& window, const QString& pngPath, const QString& jsonPath, QString* error)
{
    const auto fail = [&](const QString& path, const QString& reason) {
        if (error)
            *error = path + QStringLiteral(": ") + reason;
        return false;
    };
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!window.grab().save(&buffer, "PNG"))
        return fail(pngPath, QStringLiteral("the picture could not be encoded"));
    const FileResult picture = replaceFileAtomically(pngPath, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    if (!picture.ok)
        return fail(pngPath, picture.error);
    if (jsonPath.isEmpty())
        return true;
    const QByteArray json = QJsonDocument(describeControls(window)).toJson(QJsonDocument::Indented);
    const FileResult controls = replaceFileAtomically(jsonPath, std::string_view(json.constData(), static_cast<std::size_t>(json.size())));
    if (!controls.ok)
        return fail(jsonPath, controls.error);
    return true;
}

}  // namespace zov::gui
