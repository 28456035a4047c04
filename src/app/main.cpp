// Program entry point (start-up sequence lives in app/startup).
#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
