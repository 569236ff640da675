#pragma once

#include <QString>

class QWidget;

// The program's one question: a "Quorin" box with "&Oui" and "&Non", true for Oui. The default
// button is the answer that Enter gives.
namespace QuestionBox {

enum class Default { Oui, Non };

bool AskOuiNon(QWidget* parent, const QString& text, Default byDefault = Default::Non);

}  // namespace QuestionBox
