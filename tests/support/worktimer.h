#pragma once

#include <QElapsedTimer>
#include <sys/resource.h>

namespace tobrin::testfiles {

// How long an operation worked and how long it took. "Refused within a
// second" is a claim about work: the processor time of this process and of
// the children it waited for (the metafile renderer), which other load on
// the machine barely changes. Waiting (for a pipe, for a stalled child)
// costs no processor time, so the wall time is kept as well, for bounds
// loose enough to hold on a loaded machine.
class WorkTimer {
public:
    WorkTimer() : startCpuMs_(ProcessorMs()) { wall_.start(); }

    qint64 WorkMs() const { return ProcessorMs() - startCpuMs_; }
    qint64 WallMs() const { return wall_.elapsed(); }

    static qint64 ProcessorMs()
    {
        qint64 ms = 0;
        for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
            rusage use{};
            getrusage(who, &use);
            for (const timeval& t : {use.ru_utime, use.ru_stime})
                ms += qint64(t.tv_sec) * 1000 + t.tv_usec / 1000;
        }
        return ms;
    }

private:
    qint64 startCpuMs_;
    QElapsedTimer wall_;
};

}  // namespace tobrin::testfiles
