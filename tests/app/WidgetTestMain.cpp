#include "support/TestEnvironment.h"

#include <QApplication>

// The window's tests need widgets, so this program brings its own main.
int main(int argc, char** argv)
{
    return RunAllTestsIn<QApplication>(argc, argv);
}
