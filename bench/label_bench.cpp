// Effect label benchmark: one paint of a large label (900 x 260, a 180-pixel
// caption) with plain copies, with real (translucent) copies on both sides,
// with extruded and graded copies, and with a face gradient, so that the cost
// of the pixel passes can be read against the plain paint. Runs offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <functional>

#include "controls/LblEffct.h"

namespace {

using parvex::TLabelEffect;

void Paint(benchmark::State& state, const std::function<void(TLabelEffect&)>& setUp) {
  TLabelEffect label;
  label.resize(900, 260);
  QFont font = label.font();
  font.setPixelSize(180);
  label.setFont(font);
  label.setCaption(QStringLiteral("Parvex"));
  setUp(label);
  QImage beneath(label.size(), QImage::Format_ARGB32_Premultiplied);
  beneath.fill(QColor(40, 90, 160));
  for (auto _ : state) benchmark::DoNotOptimize(label.render(beneath));
  state.SetItemsProcessed(state.iterations() * label.width() * label.height());
}

void Plain(benchmark::State& state) { Paint(state, [](TLabelEffect&) {}); }

void Real(benchmark::State& state) {
  Paint(state, [](TLabelEffect& label) {
    label.setDepthShadow(6);
    label.setStyleShadow(TLabelEffect::eoReal);
    label.setStyleHighlight(TLabelEffect::eoReal);
  });
}

void Extruded(benchmark::State& state) {
  Paint(state, [](TLabelEffect& label) {
    label.setDepthShadow(10);
    label.setStyleShadow(TLabelEffect::eoGraduated);
  });
}

void Gradient(benchmark::State& state) {
  Paint(state, [](TLabelEffect& label) {
    label.setGraduateFrom(QColor(255, 255, 0));
    label.setGraduateFace(TLabelEffect::goVertical);
  });
}

void Turned(benchmark::State& state) {
  Paint(state, [](TLabelEffect& label) {
    label.resize(900, 900);
    label.setAngle(30);
    label.setStyleShadow(TLabelEffect::eoReal);
  });
}

BENCHMARK(Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(Real)->Unit(benchmark::kMillisecond);
BENCHMARK(Extruded)->Unit(benchmark::kMillisecond);
BENCHMARK(Gradient)->Unit(benchmark::kMillisecond);
BENCHMARK(Turned)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
