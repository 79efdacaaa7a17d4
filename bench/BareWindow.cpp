// The yardstick of the start-up benchmark: a plain Qt Widgets window of the wizard's size that
// says when its first frame is painted.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>

namespace {

class BareWindow final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (!told_) {
            told_ = true;
            std::fputs("bare first frame\n", stderr);
            std::fflush(stderr);
        }
    }

private:
    bool told_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(860, 640);
    window.show();
    return app.exec();
}
