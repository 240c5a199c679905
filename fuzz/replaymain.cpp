// Runs a fuzz target over saved inputs without libFuzzer, so that the seed
// corpus (and every input that once broke something) runs with the ordinary
// test suite in any build.
//
//   replay_<target> [--rounds N] FILE_OR_FOLDER...
//
// Each input is run once per round; a broken invariant aborts as it does
// under libFuzzer. Prints how many inputs ran.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int rounds = 1;
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--rounds") && i + 1 < argc) {
            rounds = QString::fromLocal8Bit(argv[++i]).toInt();
            continue;
        }
        const QFileInfo info(arg);
        if (info.isDir()) {
            for (const QString& name : QDir(arg).entryList(QDir::Files, QDir::Name))
                files << QDir(arg).filePath(name);
        } else if (info.isFile()) {
            files << arg;
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no inputs\n");
        return 2;
    }
    QList<QByteArray> inputs;
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 2;
        }
        inputs << file.readAll();
    }
    for (int round = 0; round < rounds; ++round)
        for (const QByteArray& input : inputs)
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()), std::size_t(input.size()));
    std::printf("%lld inputs run %d time(s)\n", static_cast<long long>(inputs.size()), rounds);
    return 0;
}
