// A second program working on the record store, for the tests that kill it
// mid-save, run several at once or give it a full or read-only disk.
//   recordchild DIR save SCORE NAME SHOWN [options]
//   recordchild DIR start [options]            (GetSystemDir alone)
// Options: kill=STEP, hold=STEP:READYFILE:GOFILE, fsize=BYTES,
// disk=full|readonly (a private tmpfs on DIR holding the pair 5 / Anna).
// Prints the outcome, its reason, then the pair as read afterwards.
// Exit status 77: no private mount could be made here.

#include "record/filerecordstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>

namespace {

int makePrivateDisk(const QString &dir, bool readOnly)
{
    const QByteArray path = QFile::encodeName(dir);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k") != 0)
        return 77;
    FileRecordStore store(dir);
    if (store.saveIfBeaten(store.GetSystemDir(), "5", "Anna", 0).kind != SaveOutcome::Kind::Saved)
        return 2;
    if (readOnly)
        return ::mount("none", path.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0 ? 0 : 77;
    QFile filler(dir + "/riempitivo");
    if (!filler.open(QIODevice::WriteOnly))
        return 2;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return 2;
    const QString dir = args.takeFirst();
    const QString mode = args.takeFirst();
    const QStringList save = mode == "save" ? args.mid(0, 3) : QStringList();
    if (mode == "save" && save.size() != 3)
        return 2;

    FileRecordStore store(dir);
    int killAt = -1;
    QStringList hold;
    for (const QString &option : args.mid(save.size())) {
        const QString value = option.section('=', 1);
        if (option.startsWith("kill=")) {
            killAt = value.toInt();
        } else if (option.startsWith("hold=")) {
            hold = value.split(':');
        } else if (option.startsWith("fsize=")) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{value.toULong(), value.toULong()};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
        } else if (option.startsWith("disk=")) {
            if (const int status = makePrivateDisk(dir, value == "readonly"))
                return status;
        }
    }
    store.setStepHook([&](RecordStep step) {
        if (int(step) == killAt)
            std::raise(SIGKILL);
        if (hold.size() == 3 && int(step) == hold[0].toInt()) {
            QFile ready(hold[1]);
            if (!ready.open(QIODevice::WriteOnly))
                std::abort();
            ready.close();
            for (int i = 0; i < 3000 && !QFile::exists(hold[2]); ++i)
                QThread::msleep(10);
        }
    });

    const QString systemDir = store.GetSystemDir();
    SaveOutcome outcome;
    if (!save.isEmpty())
        outcome = store.saveIfBeaten(systemDir, save[0], save[1], save[2].toDouble());
    const char *kinds[] = {"NotBeaten", "Saved", "Failed"};
    const auto read = [&](const char *file) {
        QFile f(systemDir + file);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray("-");
    };
    std::printf("%s\n%s\n%s\n%s\n", kinds[int(outcome.kind)], outcome.reason.toUtf8().constData(),
                read(kPointsFileName).constData(), read(kNameFileName).constData());
    return 0;
}
