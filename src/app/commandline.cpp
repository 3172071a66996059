#include "app/commandline.h"

namespace marvono {

QString versionText()
{
    return QStringLiteral("Marvono " MARVONO_VERSION "\n");
}

std::optional<QString> commandLineAnswer(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--version"))
            return versionText();
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            return QStringLiteral("Usage: marvono [--help] [--version]\n"
                                  "Keeps a small shop's catalogue, stock, sales, bills and monthly report.\n"
                                  "\n"
                                  "  -h, --help  show this text and exit\n"
                                  "  --version   show the version and exit\n"
                                  "\n"
                                  "The shop's data lives in the application folder: the program's own folder when\n"
                                  "the operator can write there, otherwise $XDG_DATA_HOME/marvono\n"
                                  "(~/.local/share/marvono), laid out from the delivered files on the first start.\n"
                                  "The delivered account is vetch, password vetch.\n");
        }
    }
    return std::nullopt;
}

} // namespace marvono
