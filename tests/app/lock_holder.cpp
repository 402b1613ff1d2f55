// Takes the companion's single-instance lock on a folder for the tests, as a process of its own:
// prints the role it got, then holds on until its standard input closes or it is killed.

#include "SingleInstance.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    std::printf("%d\n", int(instance.role()));
    std::fflush(stdout);
    char buffer[64];
    while (::read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
