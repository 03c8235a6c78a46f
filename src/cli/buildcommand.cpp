#include "cli/buildcommand.h"
#include "cli/optionarg.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <thread>
#include <vector>

#include "cli/buildoutput.h"
#include "core/manifest.h"
#include "core/regularfile.h"
#include "core/savefile.h"

namespace tobrin {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kMaxJobs = 256;
// A manifest is a page of settings; anything this large is no manifest.
constexpr qint64 kMaxManifestBytes = 1024 * 1024;
const char kStateName[] = ".tobrin-build.state";
const char kStateHead[] = "tobrin build state 1";

const char kUsage[] =
    "usage: tobrin build [MANIFEST] [--jobs N] [--allow-outside] [--force]\n"
    "       tobrin build [MANIFEST] --list-outputs|--list-depends\n"
    "  MANIFEST is tobrin.toml in the current folder when not given (docs/build.md).\n";

void Print(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

int Usage(const QString& problem)
{
    Print(stderr, QStringLiteral("tobrin build: %1\n").arg(problem) + QLatin1String(kUsage));
    return kExitUsage;
}

struct Request {
    QString manifest = QStringLiteral("tobrin.toml");
    int jobs = 0;
    bool allowOutside = false;
    bool force = false;
    bool listOutputs = false;
    bool listDepends = false;
};

QString ParseArguments(const QStringList& args, Request* request)
{
    bool haveManifest = false;
    for (int i = 0; i < args.size(); ++i) {
        OptionArg option(args, &i);
        const QString arg = option.Name();
        const bool flag = !option.HasValue();
        QString text;
        if (arg == QLatin1String("--jobs") || arg == QLatin1String("-j")) {
            bool ok = false;
            request->jobs = option.Take(&text) ? text.toInt(&ok) : 0;
            if (!ok || request->jobs < 1 || request->jobs > kMaxJobs)
                return QStringLiteral("--jobs takes a number from 1 to %1").arg(kMaxJobs);
        } else if (arg == QLatin1String("--allow-outside") && flag) {
            request->allowOutside = true;
        } else if (arg == QLatin1String("--force") && flag) {
            request->force = true;
        } else if (arg == QLatin1String("--list-outputs") && flag) {
            request->listOutputs = true;
        } else if (arg == QLatin1String("--list-depends") && flag) {
            request->listDepends = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("unknown option %1").arg(args.at(i));
        } else if (haveManifest || arg.isEmpty()) {
            return arg.isEmpty() ? QStringLiteral("empty file name") : QStringLiteral("unexpected argument %1").arg(arg);
        } else {
            request->manifest = arg;
            haveManifest = true;
        }
    }
    if (request->listOutputs && request->listDepends)
        return QStringLiteral("give one of --list-outputs and --list-depends");
    return QString();
}

// The digests of the last build by output path; empty when there is none.
QHash<QString, QByteArray> ReadState(const QString& path)
{
    QHash<QString, QByteArray> state;
    QFile file(path);
    if (!IsRegularFile(path) || file.size() > kMaxManifestBytes * 4 || !file.open(QIODevice::ReadOnly))
        return state;
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(0) != kStateHead)
        return state;
    for (const QByteArray& line : lines.mid(1)) {
        const int blank = int(line.indexOf(' '));
        if (blank > 0)
            state.insert(QString::fromUtf8(line.mid(blank + 1)), line.left(blank));
    }
    return state;
}

enum class Outcome { Built, UpToDate, Failed };
struct Result {
    Outcome outcome = Outcome::Failed;
    QString why;
    QByteArray digest;
};

// Runs work(i) for every i of indexes on up to jobs threads.
template <typename Work>
void RunParallel(const std::vector<int>& indexes, int jobs, const Work& work)
{
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t k; (k = next++) < indexes.size();)
            work(indexes[k]);
    };
    std::vector<std::thread> threads;
    const int extra = std::min(jobs, int(indexes.size())) - 1;
    for (int t = 0; t < extra; ++t)
        threads.emplace_back(worker);
    worker();
    for (std::thread& thread : threads)
        thread.join();
}

}  // namespace

int RunBuildCommand(const QStringList& args)
{
    Request request;
    const QString problem = ParseArguments(args, &request);
    if (!problem.isEmpty())
        return Usage(problem);
    const auto refuse = [&request](const QString& cause) {
        Print(stderr, QStringLiteral("tobrin build: %1: %2\n").arg(request.manifest, cause));
        return kExitFailure;
    };
    QString why;
    QFile file(request.manifest);
    if (!OpenRegularFile(file, &why))
        return refuse(why);
    if (file.size() > kMaxManifestBytes)
        return refuse(QStringLiteral("larger than %1 bytes: no manifest").arg(kMaxManifestBytes));
    const std::optional<Manifest> manifest = ParseManifest(file.readAll(), request.allowOutside, &why);
    if (!manifest)
        return refuse(why);
    const QDir folder = QFileInfo(request.manifest).absoluteDir();
    std::vector<BuildOutput> outputs;
    for (const ManifestOutput& out : manifest->outputs)
        outputs.emplace_back(folder, out);
    const std::size_t count = outputs.size();

    if (request.listOutputs || request.listDepends) {
        // For a build system: the files a build writes, or those it reads
        // (outputs read by others are outputs only).
        QStringList listed;
        QStringList written;
        for (const BuildOutput& out : outputs)
            written += out.Path();
        if (request.listOutputs)
            listed = written;
        else {
            listed += QFileInfo(request.manifest).absoluteFilePath();
            for (const BuildOutput& out : outputs)
                for (const QString& path : out.Sources() + QStringList{out.TemplateFile()})
                    if (!path.isEmpty() && !written.contains(path) && !listed.contains(path))
                        listed += path;
        }
        Print(stdout, listed.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        return kExitOk;
    }

    // Everything a build can know in advance is checked before anything is
    // written: a bad manifest changes no file.
    for (std::size_t i = 0; i < count; ++i) {
        const ManifestOutput& out = manifest->outputs[i];
        std::vector<QString> made;
        for (int j : manifest->inputs[i])
            made.push_back(outputs[std::size_t(j)].Path());
        const QStringList sources = outputs[i].Sources();
        for (int s = 0; s < sources.size(); ++s)
            if (std::find(made.begin(), made.end(), sources[s]) == made.end() && !QFileInfo::exists(sources[s]))
                return refuse(QStringLiteral("line %1: %2: source %3 does not exist")
                                  .arg(out.line)
                                  .arg(out.path, out.sources[s]));
        const QString bad = outputs[i].Check();
        if (!bad.isEmpty())
            return refuse(QStringLiteral("line %1: %2: %3").arg(out.line).arg(out.path, bad));
    }

    const QString statePath = folder.absoluteFilePath(QLatin1String(kStateName));
    const QHash<QString, QByteArray> state = ReadState(statePath);
    // Waves of outputs: each reads only outputs of the waves before it.
    std::vector<int> level(count, 0);
    int levels = 0;
    for (int i : manifest->buildOrder) {
        for (int j : manifest->inputs[std::size_t(i)])
            level[std::size_t(i)] = std::max(level[std::size_t(i)], level[std::size_t(j)] + 1);
        levels = std::max(levels, level[std::size_t(i)] + 1);
    }
    std::vector<Result> results(count);
    const int jobs = request.jobs > 0 ? request.jobs : std::max(1, QThread::idealThreadCount());
    for (int wave = 0; wave < levels; ++wave) {
        std::vector<int> now;
        for (int i : manifest->buildOrder)
            if (level[std::size_t(i)] == wave)
                now.push_back(i);
        RunParallel(now, jobs, [&](int i) {
            Result& result = results[std::size_t(i)];
            for (int j : manifest->inputs[std::size_t(i)])
                if (results[std::size_t(j)].outcome == Outcome::Failed) {
                    result.why = QStringLiteral("its source %1 failed").arg(manifest->outputs[std::size_t(j)].path);
                    return;
                }
            const BuildOutput& out = outputs[std::size_t(i)];
            result.digest = out.Digest(&result.why);
            if (result.digest.isEmpty())
                return;
            if (!request.force && state.value(manifest->outputs[std::size_t(i)].path) == result.digest &&
                QFileInfo::exists(out.Path())) {
                result.outcome = Outcome::UpToDate;
                return;
            }
            result.why = out.Build();
            result.outcome = result.why.isEmpty() ? Outcome::Built : Outcome::Failed;
        });
    }

    bool failed = false;
    QByteArray newState = QByteArray(kStateHead) + '\n';
    for (std::size_t i = 0; i < count; ++i) {
        const QString& path = manifest->outputs[i].path;
        const Result& result = results[i];
        switch (result.outcome) {
        case Outcome::Built:
            Print(stdout, QStringLiteral("built %1\n").arg(path));
            break;
        case Outcome::UpToDate:
            Print(stdout, QStringLiteral("up to date %1\n").arg(path));
            break;
        case Outcome::Failed:
            Print(stdout, QStringLiteral("failed %1: %2\n").arg(path, result.why));
            failed = true;
            continue;
        }
        newState += result.digest + ' ' + path.toUtf8() + '\n';
    }
    // Nothing changed, nothing written: a build where all is up to date
    // leaves the folder as it was.
    QFile oldState(statePath);
    const bool same = IsRegularFile(statePath) && oldState.size() == newState.size() &&
        oldState.open(QIODevice::ReadOnly) && oldState.readAll() == newState;
    if (!same && !WriteFileAtomically(statePath, newState, &why)) {
        Print(stderr, QStringLiteral("tobrin build: %1: %2\n").arg(statePath, why));
        return kExitFailure;
    }
    return failed ? kExitFailure : kExitOk;
}

}  // namespace tobrin
