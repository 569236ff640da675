#pragma once

#include <QApplication>

// The application object. Handlers catch their own failures (Guarded, and the event handlers
// at their edge), so nothing should ever reach notify() by an exception; if something does, it
// is a fault of the program: it is written loudly to the journal and shown, and the program
// tries to go on.
class QuorinApplication : public QApplication {
    Q_OBJECT

public:
    QuorinApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
