#include "support/TestEnvironment.h"

#include <QGuiApplication>

int main(int argc, char** argv)
{
    return RunAllTestsIn<QGuiApplication>(argc, argv);
}
