#include "import/importsettings.h"

#include <QSettings>

#include "core/dither.h"
#include "core/importpipeline.h"

namespace tobrin::importsettings {

namespace {

const QString kGroup = QStringLiteral("import");

}  // namespace

void Restore(ImportPipeline& pipeline)
{
    QSettings settings;
    settings.beginGroup(kGroup);
    const auto number = [&](const char* key, int initial, int low, int high) {
        bool ok = false;
        const int value = settings.value(QLatin1String(key), initial).toInt(&ok);
        return ok && value >= low && value <= high ? value : initial;
    };
    pipeline.SetTolerance(number("threshold", ImportPipeline::kToleranceInitial, ImportPipeline::kToleranceMin,
                                 ImportPipeline::kToleranceMax));
    const std::optional<Components> components = [&]() -> std::optional<Components> {
        const QString text = settings.value(QStringLiteral("components"), QStringLiteral("rgb")).toString();
        const Components c{text.contains(QLatin1Char('r')), text.contains(QLatin1Char('g')),
                           text.contains(QLatin1Char('b'))};
        return c.any() ? std::optional<Components>(c) : std::nullopt;
    }();
    if (components) {
        pipeline.SetRed(components->red);
        pipeline.SetGreen(components->green);
        pipeline.SetBlue(components->blue);
    }
    pipeline.RestoreSize(number("width", ImportPipeline::kHSizeInitial, ImportPipeline::kHSizeMin,
                                ImportPipeline::kHSizeMax),
                         number("height", ImportPipeline::kVSizeInitial, ImportPipeline::kVSizeMin,
                                ImportPipeline::kVSizeMax));
    pipeline.SetAspect(settings.value(QStringLiteral("aspect"), false).toBool());
    if (const std::optional<Dither> dither = DitherFromName(settings.value(QStringLiteral("dither")).toString()))
        pipeline.SetDither(*dither);
    pipeline.SetFullResolution(settings.value(QStringLiteral("fullResolution"), false).toBool());
}

void Remember(const ImportPipeline& pipeline)
{
    QSettings settings;
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("threshold"), pipeline.Tolerance());
    QString components;
    if (pipeline.uRed())
        components += QLatin1Char('r');
    if (pipeline.uGreen())
        components += QLatin1Char('g');
    if (pipeline.uBlue())
        components += QLatin1Char('b');
    settings.setValue(QStringLiteral("components"), components);
    settings.setValue(QStringLiteral("width"), pipeline.HSize());
    settings.setValue(QStringLiteral("height"), pipeline.VSize());
    settings.setValue(QStringLiteral("aspect"), pipeline.Aspect());
    settings.setValue(QStringLiteral("dither"), QString::fromLatin1(DitherName(pipeline.DitherMode())));
    settings.setValue(QStringLiteral("fullResolution"), pipeline.FullResolution());
}

}  // namespace tobrin::importsettings
