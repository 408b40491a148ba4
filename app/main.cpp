// Start-up of the editor: for now one window holding the waveform control, showing the raw
// sample file given on the command line, if any.
#include "sample_edit.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("VK350 Editor");

    QWidget window;
    window.setWindowTitle("VK350 Editor");
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* edit = new TsqSampleEdit(&window);
    edit->setMinimumSize(200, 109);
    // The look of the main editor view.
    edit->SetGradientEnabled(true);
    edit->SetGradientType(grxBottomToTop);
    edit->SetAxes2Enabled(true);
    edit->SetMarkerSize(0);
    edit->SetLocatorSize(5);
    edit->SetSelectionStyle(1);
    edit->SetSpectrumCenter(true);
    layout->addWidget(edit);

    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const std::string name = args.at(1).toLocal8Bit().toStdString();
        if (!edit->LoadFromFile(name, false, 0))
            std::fprintf(stderr, "vk350-editor: cannot read %s\n", name.c_str());
    }
    edit->OnLocatorChange = [](TsqSampleEdit* e) { e->DrawWave(); };

    window.resize(1024, 640);
    window.show();
    // A resize leaves the gradient cache at its old size; touching a gradient setting rebuilds it.
    edit->SetGradientNbOfColors(255);
    edit->SetGradientNbOfColors(254);
    return QApplication::exec();
}
