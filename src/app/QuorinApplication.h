#pragma once

#include <QApplication>

// The application object: every event handler runs inside notify(), so an exception thrown by
// a handler ends that handler and reaches the error box instead of ending the program.
class QuorinApplication : public QApplication {
    Q_OBJECT

public:
    QuorinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
