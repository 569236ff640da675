#include "QuorinApplication.h"

#include "ErrorBox.h"

QuorinApplication::QuorinApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool QuorinApplication::notify(QObject* receiver, QEvent* event)
{
    return ErrorBox::Guard([&] { return QApplication::notify(receiver, event); });
}
