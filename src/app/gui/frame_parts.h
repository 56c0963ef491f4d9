#pragma once
// Small builders shared by the frame widgets: every control gets its name as
// objectName (tests and the project file find controls by it), buttons never
// become a default button, and the frames share one compact grid.

#include <QString>

#include <string>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace zov::gui {

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text);
QLineEdit* makeTextBox(QWidget* parent, const QString& name, const QString& text);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
// An editable selector: a typed value is used as it stands and never joins the list.
QComboBox* makeSelector(QWidget* parent, const QString& name);
QGridLayout* frameGrid(QGroupBox* frame);

// The text of a control as the domain reads it (UTF-8).
std::string textOf(const QLineEdit* box);
std::string textOf(const QComboBox* box);

}  // namespace zov::gui
