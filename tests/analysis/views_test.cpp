// The analysis views as pictures: what a known signal lights, where, and in which colour; the
// limits of their properties; and that no block length or format change makes a view read past
// the block it was handed.
#include "analysis_errors.h"
#include "connector.h"
#include "guarded_block.h"
#include "level_scale_view.h"
#include "level_view.h"
#include "main_window_views.h"
#include "micro_clock.h"
#include "oscope_view.h"
#include "pcm_blocks.h"
#include "pcm_support.h"
#include "queue_dispatcher.h"
#include "queue_pump.h"
#include "spectrogram_view.h"
#include "spectrum_view.h"
#include "view_paint.h"

#include <QApplication>
#include <QMouseEvent>
#include <array>
#include <functional>
#include <gtest/gtest.h>

using namespace vk350;
using namespace vk350::test;

namespace {

WaveFormatEx Format(int bits, int channels, int rate = 44100) {
    WaveFormatEx f;
    pcmBuildWaveHeader(&f, bits, channels, rate);
    return f;
}

QRgb PixelAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFF;
}

QRgb Rgb(BgrColor c) {
    return RgbOf(c) & 0xFFFFFF;
}

void Press(QWidget& w, QEvent::Type type, QPoint at) {
    QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

} // namespace

TEST(AnalysisViewPictures, SpectrumLightsTheSinesBinAndReadsItUnderTheMouse) {
    QWidget holder;
    auto* view = new SpectrumView(&holder);
    SetupSpectrum1(*view);
    ASSERT_EQ(view->BlockLength(), 128u);
    // 16 periods in 128 frames at 44100 Hz: bin 16, 5512.5 Hz.
    const std::vector<std::uint8_t> block = Block8(Sine(128, 16, 1.0));
    view->RefreshPCMData(block.data());
    const QImage& canvas = view->Canvas();
    ASSERT_EQ(canvas.size(), QSize(504, 194));
    const AnalysisRect a = view->DrawArea();
    // An odd row: the dotted grid leaves it alone between its lines.
    const int row = a.top + a.height - 3;
    int sineColumn = -1;
    for (const SpectrumRun& run : view->Runs()) {
        const auto [left, right] = view->BarColumns(run);
        const int x = a.left + (left + right) / 2;
        if (run.firstBin == 16) {
            sineColumn = x;
            EXPECT_EQ(PixelAt(canvas, x, row), Rgb(clr::Aqua));
            // The loud bar reaches past Point1 into the second colour.
            EXPECT_EQ(PixelAt(canvas, x, a.top + view->SpotTop(view->Threshold1() + 1)), Rgb(clr::Yellow));
        } else if (run.firstBin >= 24) {
            EXPECT_EQ(PixelAt(canvas, x, row), Rgb(clr::Black)) << "bin " << run.firstBin;
        }
    }
    ASSERT_GE(sineColumn, 0);
    EXPECT_NEAR(view->GetFrequencyAtPos(sineColumn, a.top + 10), 5512.5, 44100.0 / 128);

    // The info box follows the left button inside the drawing area, and blocks data meanwhile.
    Press(*view, QEvent::MouseButtonPress, QPoint(sineColumn, a.top + 10));
    ASSERT_TRUE(view->InfoActive());
    EXPECT_TRUE(view->InfoBoxText().startsWith(QStringLiteral("5.")) && view->InfoBoxText().contains("KHz"))
        << view->InfoBoxText().toStdString();
    const std::vector<std::uint8_t> silence(128, 128);
    view->RefreshPCMData(silence.data());
    EXPECT_EQ(PixelAt(view->Canvas(), sineColumn, row), Rgb(clr::Aqua));
    Press(*view, QEvent::MouseButtonRelease, QPoint(sineColumn, a.top + 10));
    EXPECT_FALSE(view->InfoActive());
    view->RefreshPCMData(silence.data());
    EXPECT_EQ(PixelAt(view->Canvas(), sineColumn, row), Rgb(clr::Black));

    // No peak markers, no timer; one marker again, the timer runs again.
    EXPECT_TRUE(view->PeakTimerRunning());
    view->SetNumPeaks(0);
    EXPECT_FALSE(view->PeakTimerRunning());
    view->SetNumPeaks(1);
    EXPECT_TRUE(view->PeakTimerRunning());

    // Disabled: no data, no box.
    view->SetEnabled(false);
    view->RefreshPCMData(block.data());
    EXPECT_EQ(PixelAt(view->Canvas(), sineColumn, row), Rgb(clr::Black));
    Press(*view, QEvent::MouseButtonPress, QPoint(sineColumn, a.top + 10));
    EXPECT_FALSE(view->InfoActive());
    EXPECT_FALSE(view->PeakTimerRunning());
}

TEST(AnalysisViewPictures, ScopeTraceSpectrogramColumnAndLevels) {
    QWidget holder;
    {
        // Scope: a square wave, its top half on row 0 and its bottom on the last row; silence on
        // the middle row.
        auto* scope = new OscopeView(&holder);
        SetupOscope1(*scope);
        ASSERT_EQ(scope->BlockLength(), 200u);
        std::vector<std::uint8_t> square(200, 255);
        std::fill(square.begin() + 100, square.end(), std::uint8_t(0));
        scope->RefreshPCMData(square.data());
        const QRgb trace = Rgb(clr::Aqua);
        EXPECT_EQ(PixelAt(scope->Canvas(), 20, 0), trace);
        EXPECT_EQ(PixelAt(scope->Canvas(), 150, 193), trace);
        EXPECT_NE(PixelAt(scope->Canvas(), 20, 97), trace);
        const std::vector<std::uint8_t> silence(200, 128);
        scope->RefreshPCMData(silence.data());
        EXPECT_EQ(PixelAt(scope->Canvas(), 20, 97), trace);
        EXPECT_EQ(PixelAt(scope->Canvas(), 20, 0), Rgb(clr::Maroon)) << "grid line on the top row";
        scope->SetEnabled(false);
        EXPECT_EQ(PixelAt(scope->Canvas(), 20, 97), Rgb(clr::Gray));
        EXPECT_EQ(PixelAt(scope->Canvas(), 2, 97), Rgb(clr::Navy));
    }
    {
        // Spectrogram: after the bar's width of hidden columns, column 0 shows the sine bright
        // at its frequency and the top of the axis dark.
        auto* gram = new SpectrogramView(&holder);
        SetupSpectrogram1(*gram);
        ASSERT_EQ(gram->BlockLength(), 256u);
        const std::vector<std::uint8_t> block = Block8(Sine(256, 32, 1.0));
        for (int i = 0; i <= gram->BarWidth(); ++i)
            gram->RefreshPCMData(block.data());
        const AnalysisRect a = gram->DrawArea();
        ASSERT_EQ(a.width, 360);
        // The palette index of each row of column 0, read back from its colour.
        const PaletteColors palette = gram->Palette();
        std::vector<int> rows;
        int best = -1;
        for (int y = 0; y < a.height; ++y) {
            const QRgb p = PixelAt(gram->Canvas(), a.left, a.top + y);
            int index = 0;
            for (int i = MIN_COLOR; i < MIN_COLOR + NUM_COLORS; ++i)
                if (Rgb(palette[std::size_t(i)]) == p)
                    index = i;
            if (index > best)
                rows.clear();
            if (index >= best) {
                best = index;
                rows.push_back(y);
            }
        }
        EXPECT_EQ(best, MIN_COLOR + NUM_COLORS - 1);
        ASSERT_FALSE(rows.empty());
        const int brightest = rows[rows.size() / 2];
        EXPECT_NEAR(gram->GetFrequency(a.left, a.top + brightest), 5512.5, 2 * 44100.0 / 256);
        EXPECT_EQ(PixelAt(gram->Canvas(), a.left, a.top), Rgb(clr::Black));
        // The next column is still the position bar.
        EXPECT_EQ(PixelAt(gram->Canvas(), a.left + 1, a.top + brightest), Rgb(clr::Black));
    }
    {
        // Level meter at the stored size: 262 spots; full scale lights them all, -6 dB 223.
        auto* level = new LevelView(&holder);
        SetupLevel1(*level);
        ASSERT_EQ(level->Spots(), 262);
        const AnalysisRect a = level->DrawArea();
        auto spotPixel = [&](int n) {
            const AnalysisRect r = level->SpotRect(n);
            return PixelAt(level->Canvas(), a.left + r.left + r.width / 2, a.top + r.top);
        };
        struct Case {
            std::uint8_t extreme;
            int lit;
        };
        for (const Case& c : {Case{255, 262}, Case{0, 262}, Case{192, 223}, Case{128, 0}}) {
            level->ResetData();
            std::vector<std::uint8_t> block(level->BlockLength(), 128);
            block[7] = c.extreme;
            level->RefreshPCMData(block.data());
            EXPECT_EQ(level->LitValue(), c.lit) << int(c.extreme);
            if (c.lit > 0) {
                EXPECT_EQ(spotPixel(1), Rgb(clr::Lime));
                EXPECT_EQ(spotPixel(c.lit), Rgb(clr::Red)) << int(c.extreme);
            }
            if (c.lit < 262) {
                EXPECT_EQ(spotPixel(c.lit + 1), Rgb(c.lit + 1 > 222 ? clr::Maroon : clr::Teal))
                    << int(c.extreme);
            }
        }
        // The dotted looks of lit and unlit spots change both ways.
        const bool activeDoted = level->ActiveDoted(), inactiveDoted = level->InactiveDoted();
        for (bool doted : {true, false, true}) {
            level->SetActiveDoted(doted);
            level->SetInactiveDoted(!doted);
            EXPECT_EQ(level->ActiveDoted(), doted);
            EXPECT_EQ(level->InactiveDoted(), !doted);
        }
        level->SetActiveDoted(activeDoted);
        level->SetInactiveDoted(inactiveDoted);
        // A meter whose kind does not suit its shape turns on its side, and back.
        LevelView turned(&holder);
        turned.SetKind(lkVertical);
        EXPECT_EQ(turned.size(), QSize(17, 200));
        EXPECT_EQ(turned.Spots(), 100);
        turned.SetKind(lkHorizontal);
        EXPECT_EQ(turned.size(), QSize(200, 17));
        // The bevel: 1 pixel in 4210688.
        EXPECT_EQ(PixelAt(level->Canvas(), 0, 0), Rgb(4210688));
        EXPECT_EQ(level->height(), 526);
    }
}

// A drag selects the columns between the press and the mouse, whichever way it goes; lines that
// leave the picture are drawn up to its edge and never past it.
// A change of look is composed once, when the frame is next read; every block of data is
// composed as it comes, so a scrolling view moves on for every block, read or not.
TEST(AnalysisViewPictures, LookChangesWaitForTheNextFrameBlocksOfDataDoNot) {
    QWidget holder;
    auto* scope = new OscopeView(&holder);
    SetupOscope1(*scope);
    scope->SetScroll(true);
    const AnalysisRect a = scope->DrawArea();
    const std::vector<std::uint8_t> square = [] {
        std::vector<std::uint8_t> b(200, 255);
        std::fill(b.begin() + 100, b.end(), std::uint8_t(0));
        return b;
    }();
    for (int i = 0; i < 5; ++i)
        scope->RefreshPCMData(square.data());
    const int scopeNewest = a.left + a.width - scope->BarWidth() - 1;
    const QRgb trace = Rgb(scope->ForegroundColor());
    for (int x = scopeNewest - 4; x <= scopeNewest; ++x)
        EXPECT_EQ(PixelAt(scope->Canvas(), x, a.top + a.height / 2), trace) << x;
    EXPECT_NE(PixelAt(scope->Canvas(), scopeNewest - 5, a.top + a.height / 2), trace);

    // The scrolling spectrum moves two columns per block; the new strip shows the sine's bins.
    auto* spectrum = new SpectrumView(&holder);
    SetupSpectrum1(*spectrum);
    spectrum->SetKind(skScroll);
    const AnalysisRect s = spectrum->DrawArea();
    const QRgb background = Rgb(spectrum->Color());
    const auto litColumns = [&] {
        int lit = 0;
        for (int x = s.left; x < s.left + s.width; ++x)
            for (int y = s.top; y < s.top + s.height; ++y)
                if (PixelAt(spectrum->Canvas(), x, y) != background) {
                    ++lit;
                    break;
                }
        return lit;
    };
    const std::vector<std::uint8_t> sine = Block8(Sine(128, 16, 1.0));
    for (int blocks = 1; blocks <= 3; ++blocks) {
        spectrum->RefreshPCMData(sine.data());
        if (blocks != 2) { // the second block comes unread
            EXPECT_EQ(litColumns(), blocks * SCROLLDISTANCE) << blocks;
        }
    }

    // Low frequencies at the bottom: the sine's bin is lit at its height, the top row is not.
    const int newest = s.left + s.width - 1;
    for (const SpectrumRun& run : spectrum->Runs())
        if (run.firstBin == 16) {
            const int y = s.height - 1 - (run.first + run.end) / 2 * s.height / s.width;
            EXPECT_NE(PixelAt(spectrum->Canvas(), newest, s.top + y), background) << y;
        }
    EXPECT_EQ(PixelAt(spectrum->Canvas(), newest, s.top), background);

    // Two colours in a row and no frame read between them: the second is what shows.
    scope->SetScroll(false);
    scope->SetForegroundColor(clr::Red);
    scope->SetForegroundColor(clr::Lime);
    scope->RefreshPCMData(square.data());
    EXPECT_EQ(PixelAt(scope->Canvas(), 20, 0), Rgb(clr::Lime));
}

TEST(AnalysisViewLimits, DragsSelectBothWaysAndLinesStopAtTheEdge) {
    QWidget holder;
    auto* view = new OscopeView(&holder);
    view->resize(200, 100);
    view->SyncSize();
    view->SetUseSelection(true);
    const int left = view->DrawArea().left, top = view->DrawArea().top + 5;
    Press(*view, QEvent::MouseButtonPress, QPoint(left + 50, top));
    Press(*view, QEvent::MouseMove, QPoint(left + 20, top));
    EXPECT_EQ(view->SelectionStart(), 20);
    EXPECT_EQ(view->SelectionEnd(), 51);
    Press(*view, QEvent::MouseMove, QPoint(left + 70, top));
    EXPECT_EQ(view->SelectionStart(), 50);
    EXPECT_EQ(view->SelectionEnd(), 71);
    Press(*view, QEvent::MouseButtonRelease, QPoint(left + 70, top));

    QImage image(20, 10, QImage::Format_RGB32);
    for (const auto& [x1, y1, x2, y2] :
         {std::array{-5, -5, 30, 30}, std::array{25, 5, -5, 5}, std::array{5, -20, 5, 40}}) {
        image.fill(0);
        PlainLine(image, x1, y1, x2, y2, 0xFFFFFF);
        int lit = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                lit += PixelAt(image, x, y) != 0;
        EXPECT_EQ(lit, x1 == x2 ? 10 : y1 == y2 ? 20 : 10) << x1 << "," << y1;
    }
}

TEST(AnalysisViewLimits, ClampsAndEveryBlockLengthStayInsideTheBlock) {
    struct Case {
        const char* name;
        std::function<PcmDisplay*(QWidget& holder)> make;
        std::uint32_t length;
    };
    const Case cases[] = {
        {"spectrum FFTLength 100 becomes 64",
         [](QWidget& h) {
             auto* v = new SpectrumView(&h);
             v->SetFFTLength(100);
             return v;
         },
         64},
        {"spectrum 4096 points of 16-bit stereo on a 4 x 4 control",
         [](QWidget& h) {
             auto* v = new SpectrumView(&h);
             v->SetPCMWaveFormat(Format(16, 2));
             v->SetFFTLength(1 << 30);
             v->SetSpotHeight(1000);
             v->SetFrequencyScale(99);
             v->resize(4, 4);
             v->SyncSize();
             return v;
         },
         16384},
        {"spectrum log frequencies, tilt and all kinds at 1 x 1",
         [](QWidget& h) {
             auto* v = new SpectrumView(&h);
             v->SetLogFreq(true);
             v->SetGain(sg9db);
             v->SetKind(skScroll);
             v->SetDrawAmpScale(true);
             v->SetDrawFreqScale(true);
             v->SetDisplayPeak(true);
             v->resize(1, 1);
             v->SyncSize();
             return v;
         },
         128},
        {"scope Zoom 9 at the stored size",
         [](QWidget& h) {
             auto* v = new OscopeView(&h);
             SetupOscope1(*v);
             v->SetZoom(40);
             v->SetZoom(0);
             return v;
         },
         1800},
        {"scope Zoom -9, 16-bit stereo, 5 columns",
         [](QWidget& h) {
             auto* v = new OscopeView(&h);
             v->SetPCMWaveFormat(Format(16, 2));
             v->SetZoom(-9);
             v->SetSteps(20);
             v->SetKind(okMirLines);
             v->resize(5, 5);
             v->SyncSize();
             return v;
         },
         4},
        {"scope scrolling with the longest block",
         [](QWidget& h) {
             auto* v = new OscopeView(&h);
             v->SetPCMWaveFormat(Format(16, 2));
             v->SetScroll(true);
             v->SetFFTLength(100000);
             v->SetBarWidth(1000);
             return v;
         },
         16384},
        {"spectrogram 4096 points, zoomed far past its base",
         [](QWidget& h) {
             auto* v = new SpectrogramView(&h);
             SetupSpectrogram1(*v);
             v->SetFFTLength(5000);
             v->SetFrequencyScale(99);
             v->SetFrequencyBase(1 << 30);
             v->SetEmbossed(true);
             return v;
         },
         4096},
        {"spectrogram without scales on a 2 x 2 control",
         [](QWidget& h) {
             auto* v = new SpectrogramView(&h);
             v->SetPCMWaveFormat(Format(8, 2));
             v->SetBarWidth(500);
             v->resize(2, 2);
             v->SyncSize();
             return v;
         },
         256},
        {"level of one frame, wide spots on a short bar",
         [](QWidget& h) {
             auto* v = new LevelView(&h);
             v->SetSamples(-5);
             v->SetSpotWidth(100);
             v->SetDirection(dirSymetric);
             v->resize(3, 3);
             v->SyncSize();
             return v;
         },
         1},
        {"level of the most frames, 16-bit stereo",
         [](QWidget& h) {
             auto* v = new LevelView(&h);
             v->SetPCMWaveFormat(Format(16, 2));
             v->SetSamples(INT32_MAX);
             return v;
         },
         4u * std::uint32_t(LevelAnalysis::kMaxSamples)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget holder;
        PcmDisplay* display = c.make(holder);
        EXPECT_EQ(display->BlockLength(), c.length);
        if (c.length > (1u << 20))
            continue;
        for (const std::uint8_t fill : {std::uint8_t(0), std::uint8_t(255), std::uint8_t(128)}) {
            GuardedBlock block(display->BlockLength(), fill);
            ASSERT_TRUE(block.ok());
            display->RefreshPCMData(block.data());
        }
        const auto* widget = dynamic_cast<const AnalysisViewBase*>(display);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->Canvas().size(), widget->size().expandedTo(QSize(1, 1)));
    }
    QWidget holder;
    SpectrumView spectrum(&holder);
    EXPECT_THROW(spectrum.SetSurfaceBits(16), AnalysisViewError);
    EXPECT_THROW(spectrum.SetPCMWaveFormat(Format(12, 1)), SpectrumError);
    EXPECT_EQ(spectrum.BlockLength(), 128u);
}

// The chain tells every display of a new format while it plays; each then asks for blocks of
// the new size and reads them as the new format.
TEST(AnalysisViewLimits, FormatChangeWhilePlayingResizesEveryBlock) {
    ManualMicroClock clock{1000000};
    QueueDispatcher dispatcher{clock};
    ConnectorHub hub{dispatcher};
    QueuePump pump{dispatcher, hub};
    Connector connector{hub, clock};
    QWidget holder;
    auto* spectrum = new SpectrumView(&holder);
    SetupSpectrum1(*spectrum);
    auto* scope = new OscopeView(&holder);
    SetupOscope1(*scope);
    auto* gram = new SpectrogramView(&holder);
    SetupSpectrogram1(*gram);
    auto* level = new LevelView(&holder);
    SetupLevel1(*level);
    connector.SetSpectrum1(spectrum);
    connector.SetOscope1(scope);
    connector.SetSpectrogram1(gram);
    connector.SetLevel1(level);

    const WaveFormatEx mono8 = Format(8, 1, 22050);
    connector.SetPWaveFormat(&mono8);
    connector.SetBufferSize(4096);
    connector.Opened();
    connector.Started();
    dispatcher.runPending();
    struct Sizes {
        std::uint32_t spectrum, scope, gram, level;
    };
    auto sizes = [&] {
        return Sizes{spectrum->BlockLength(), scope->BlockLength(), gram->BlockLength(),
                     level->BlockLength()};
    };
    EXPECT_EQ(sizes().spectrum, 128u);
    EXPECT_EQ(sizes().scope, 200u);
    EXPECT_EQ(sizes().gram, 256u);
    EXPECT_EQ(sizes().level, 50u);
    EXPECT_EQ(spectrum->SampleRate(), 22050);

    const WaveFormatEx stereo16 = Format(16, 2, 44100);
    connector.SetPWaveFormat(&stereo16);
    EXPECT_EQ(sizes().spectrum, 512u);
    EXPECT_EQ(sizes().scope, 800u);
    EXPECT_EQ(sizes().gram, 1024u);
    EXPECT_EQ(sizes().level, 200u);
    EXPECT_EQ(spectrum->SampleRate(), 44100);

    // A sine on the left channel (the one the stored settings analyse), noise-free silence on
    // the right: read as 16-bit stereo, the spectrum's bright bar stands at bin 16.
    const std::vector<double> left = Sine(128, 16, 0.9);
    const std::vector<double> right = Constant(128, 0.0);
    const std::vector<std::uint8_t> samples = Block16(left, &right);
    GuardedBlock block(spectrum->BlockLength());
    std::copy(samples.begin(), samples.end(), block.data());
    spectrum->RefreshPCMData(block.data());
    EXPECT_EQ(spectrum->GetPeak().bin, 16);
    connector.Stopped();
    connector.Closed();
    for (PcmDisplay* d : std::initializer_list<PcmDisplay*>{spectrum, scope, gram, level})
        connector.RemoveDisplay(d);
}

TEST(AnalysisViewPictures, LevelScaleLabelsTheStoredRange) {
    QWidget holder;
    auto* scale = new LevelScaleView(&holder);
    SetupLevelScale1(*scale);
    const std::vector<LevelScaleLabel> labels = scale->CurrentLabels();
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(labels[0].text, "0");
    EXPECT_EQ(labels[1].text, "-1");
    EXPECT_EQ(labels[0].box.top, 0);
    const QImage picture = scale->Picture();
    ASSERT_EQ(picture.size(), QSize(18, 526));
    // The first label is written in the loudest band's colour (maroon, softened at the glyphs'
    // edges), the lowest ones in green.
    auto inks = [&](int top, int bottom) {
        int red = 0;
        int green = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 18; ++x) {
                const QRgb p = picture.pixel(x, y);
                red += qRed(p) > 2 * (qGreen(p) + qBlue(p)) + 20;
                green += qGreen(p) > 2 * (qRed(p) + qBlue(p)) + 20;
            }
        return std::pair(red, green);
    };
    EXPECT_GT(inks(0, 12).first, 0);
    EXPECT_EQ(inks(0, 12).second, 0);
    EXPECT_GT(inks(480, 526).second, 0);
}
