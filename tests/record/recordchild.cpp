// A second program on the record pair, for the tests that kill it mid-save,
// make it wait for the lock or give it a refusing disk.
//   recordchild DIR save SCORE NAME SHOWN [options]   (the exit's save alone)
//   recordchild DIR start [options]                   (GetSystemDir alone)
// Options: kill=STEP, fsize=BYTES, disk=full|readonly (a private tmpfs on
// DIR holding the pair 5 / Anna). Prints the outcome, its reason, then the
// pair in hex as read afterwards. Exit status 77: no private mount here.

#include "record/filerecordstore.h"

#include <QCoreApplication>
#include <QFile>

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
    if (FileRecordStore(dir).saveIfBeaten(dir, "5", "Anna", 0).kind != SaveOutcome::Kind::Saved)
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
    const QStringList args = app.arguments();
    const bool save = args.value(2) == "save";
    if (args.size() < (save ? 6 : 3))
        return 2;
    const QString dir = args[1];
    int killAt = -1;
    for (const QString &option : args.mid(save ? 6 : 3)) {
        const QString value = option.section('=', 1);
        if (option.startsWith("kill=")) {
            killAt = value.toInt();
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
    FileRecordStore store(dir);
    store.setStepHook([killAt](RecordStep step) {
        if (int(step) == killAt)
            std::raise(SIGKILL);
    });

    SaveOutcome outcome;
    if (save)
        outcome = store.saveIfBeaten(dir, args[3], args[4], args[5].toDouble());
    else
        store.GetSystemDir();
    const char *kinds[] = {"NotBeaten", "Saved", "Failed"};
    const auto hexOf = [&](const char *file) {
        QFile f(dir + "/" + file);
        return f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray("-");
    };
    std::printf("%s\n%s\n%s\n%s\n", kinds[int(outcome.kind)], outcome.reason.toUtf8().constData(),
                hexOf(kPointsFileName).constData(), hexOf(kNameFileName).constData());
    return 0;
}
