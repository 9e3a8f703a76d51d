#include "UCommandLine.h"

#include "UCodepage.h"
#include "UFehler.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace {

struct TOptionInfo {
    QStringList Names;
    const char* ValueName;  // nullptr for a switch
    const char* Description;
};

// The order is the one --help shows.
const TOptionInfo Options[] = {
    {{"run"}, nullptr, "f\u00FChrt DATEI ohne Fenster aus, meldet einen Laufzeitfehler"},
    {{"check"}, nullptr, "pr\u00FCft DATEI wie die Syntaxpr\u00FCfung des Editors"},
    {{"vars"}, nullptr, "mit --run: zeigt danach die Variablen Zeile f\u00FCr Zeile"},
    {{"png"}, "VERZEICHNIS",
     "mit --run: speichert jedes Zeichenfenster als Bild, VERZEICHNIS/fenster-1.png, ..."},
    {{"max-steps"}, "N", "mit --run: beendet den Lauf nach N Schritten (Vorgabe 100000000)"},
    {{"max-memory"}, "MIB",
     "mit --run: beendet den Lauf mit einem Laufzeitfehler, wenn das Programm mehr als MIB MiB "
     "Arbeitsspeicher br\u00E4uchte (Vorgabe 1024)"},
    {{"json"}, nullptr,
     "mit --run oder --check: gibt das Ergebnis als ein JSON-Objekt aus (Status, Fehler, Variablen, Bilder)"},
    {{"forbid-attribute-assignment"}, nullptr,
     "mit --run oder --check: verbietet Zuweisungen an Attribute"},
    {{"v", "version"}, nullptr, "zeigt die Version"},
    {{"h", "help"}, nullptr, "zeigt diese Hilfe"},
};

const char* const RunUsage =
    "Aufruf: zak --run DATEI [--vars] [--json] [--png VERZEICHNIS] [--max-steps N] "
    "[--max-memory MIB] [--forbid-attribute-assignment]";
const char* const CheckUsage = "Aufruf: zak --check DATEI [--json] [--forbid-attribute-assignment]";

QString Spelled(const QStringList& names) {
    QStringList spelled;
    for (const QString& name : names) spelled << (name.size() == 1 ? "-" : "--") + name;
    return spelled.join(", ");
}

// The option as the user wrote it, for naming it in a message.
std::string AsWritten(const QStringList& arguments, const QString& name) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == "--") break;
        QString bare = argument;
        while (bare.startsWith('-')) bare.remove(0, 1);
        if (argument.startsWith('-') && bare.section('=', 0, 0) == name)
            return argument.section('=', 0, 0).toStdString();
    }
    return ("--" + name).toStdString();
}

// Why the parser refused the arguments, in German.
std::string ParseProblem(const QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.unknownOptionNames().isEmpty())
        return "Unbekannte Option: " + AsWritten(arguments, parser.unknownOptionNames().first());
    const QString last = arguments.size() > 1 ? arguments.last() : QString();
    for (const TOptionInfo& option : Options)
        if (option.ValueName)
            for (const QString& name : option.Names)
                if (last == "--" + name || last == "-" + name)
                    return "Der Wert nach " + last.toStdString() + " fehlt.";
    for (const QString& argument : arguments.mid(1))
        if (argument.startsWith('-') && argument.contains('='))
            return "Die Option " + argument.section('=', 0, 0).toStdString() + " nimmt keinen Wert an.";
    return parser.errorText().toStdString();
}

} // namespace

TCommandLine ParseCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // "-reverse" or "-stylesheet" (Qt's options, for the IDE) must not read
    // as -v or -h.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const TOptionInfo& info : Options) {
        QCommandLineOption option(info.Names, QString::fromUtf8(info.Description));
        if (info.ValueName) option.setValueName(info.ValueName);
        parser.addOption(option);
    }
    const bool parsed = parser.parse(arguments);

    TCommandLine line;
    auto refuse = [&](std::string problem, const char* usage) {
        line.Mode = TCommandLine::TMode::Error;
        line.Problem = std::move(problem);
        line.Usage = usage;
        return line;
    };
    if (parser.isSet("help")) {
        line.Mode = TCommandLine::TMode::Help;
        return line;
    }
    if (parser.isSet("version")) {
        line.Mode = TCommandLine::TMode::Version;
        return line;
    }
    const bool run = parser.isSet("run");
    const bool check = parser.isSet("check");
    if (!run && !check) return line;  // the IDE, which takes everything as it is

    const char* usage = run ? RunUsage : CheckUsage;
    const char* mode = run ? "--run" : "--check";
    if (run && check) return refuse("--run und --check schlie\u00DFen einander aus.", usage);
    if (!parsed) return refuse(ParseProblem(parser, arguments), usage);
    if (parser.optionNames().count(run ? "run" : "check") > 1)
        return refuse(std::string(mode) + " steht mehr als einmal da.", usage);
    if (check)
        for (const char* only : {"vars", "png", "max-steps", "max-memory"})
            if (parser.isSet(only))
                return refuse(AsWritten(arguments, only) + " gilt nur mit --run.", usage);

    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) return refuse(std::string("Der Dateiname nach ") + mode + " fehlt.", usage);
    if (files.size() > 1)
        return refuse("Nur eine Datei, nicht mehrere: " + files.join(' ').toStdString(), usage);

    // A name that is not valid UTF-8 does not survive the way through
    // QString: the bytes as given are taken where they can be found.
    auto bytes = [&](const QString& decoded) {
        for (int i = 1; i < argc; ++i)
            if (arguments[i] == decoded) return std::string(argv[i]);
        return decoded.toLocal8Bit().toStdString();
    };
    line.Mode = run ? TCommandLine::TMode::Run : TCommandLine::TMode::Check;
    line.File = bytes(files.first());
    line.Vars = parser.isSet("vars");
    line.Json = parser.isSet("json");
    line.PngDir = bytes(parser.value("png"));
    line.ForbidAttributeAssignment = parser.isSet("forbid-attribute-assignment");
    if (parser.isSet("max-steps")) {
        const std::string text = parser.value("max-steps").toStdString();
        char* end = nullptr;
        errno = 0;
        const long long n = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno != 0 || n < 1)
            return refuse("Die Zahl nach --max-steps muss eine positive ganze Zahl sein: " + text, usage);
        line.MaxSteps = n;
    }
    if (parser.isSet("max-memory")) {
        // Up to a tebibyte: beyond that the bytes would not fit the count.
        constexpr long long MaxMiB = 1024LL * 1024;
        const std::string text = parser.value("max-memory").toStdString();
        char* end = nullptr;
        errno = 0;
        const long long n = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno != 0 || n < 1 || n > MaxMiB)
            return refuse("Die Zahl nach --max-memory muss eine ganze Zahl von 1 bis " + std::to_string(MaxMiB) +
                              " sein: " + text,
                          usage);
        line.MaxMemoryMiB = n;
    }
    if (parser.isSet("png") && line.PngDir.empty())
        return refuse("Das Verzeichnis nach --png fehlt.", usage);
    return line;
}

std::string HelpText() {
    QString text =
        "Aufruf:\n"
        "  zak [DATEI.zak ...]            \u00F6ffnet ZAK, mit DATEI als Programm\n"
        "  zak --run DATEI [OPTIONEN]     f\u00FChrt DATEI ohne Fenster aus\n"
        "  zak --check DATEI [OPTIONEN]   pr\u00FCft DATEI wie die Syntaxpr\u00FCfung des Editors\n"
        "Die Optionen d\u00FCrfen in beliebiger Reihenfolge vor oder nach DATEI stehen.\n"
        "\n"
        "Optionen:\n";
    // Descriptions are wrapped to fit a terminal of 80 columns.
    constexpr int Indent = 33;
    constexpr int Width = 80;
    for (const TOptionInfo& info : Options) {
        QString line = "  " + Spelled(info.Names);
        if (info.ValueName) line += QStringLiteral(" ") + info.ValueName;
        line = line.leftJustified(Indent - 1) + ' ';
        bool first = true;
        for (const QString& word : QString::fromUtf8(info.Description).split(' ')) {
            if (!first && line.size() + 1 + word.size() > Width) {
                text += line + '\n';
                line = QString(Indent, ' ');
                first = true;
            }
            line += (first ? "" : " ") + word;
            first = false;
        }
        text += line + '\n';
    }
    text +=
        "\n"
        "Exit-Status: 0 am Programmende (mit --check: ohne Hinweis), 1 nach einem\n"
        "Laufzeitfehler (mit --check: mit Hinweis), 2 bei einer Datei, die nicht gelesen\n"
        "werden kann, einem Bild, das nicht geschrieben werden kann, oder falschen\n"
        "Argumenten, 3 wenn die Schrittgrenze erreicht wurde.\n"
        "Mehr in der Handbuchseite: man zak";
    return text.toStdString();
}

TJsonVariable SplitVariableCell(const std::string& cell) {
    const std::string::size_type at = cell.find(" = ");
    if (at == std::string::npos) return {cell, ""};
    return {cell.substr(0, at), cell.substr(at + 3)};
}

std::string JsonText(const TJsonResult& result) {
    auto text = [](const std::string& win1252) {
        return QString::fromStdString(Codepage::Win1252ToUtf8(win1252));
    };
    QJsonObject object;
    object["status"] = result.Status;
    if (result.Error) {
        object["error"] = QJsonObject{
            {"kind", result.Error->Source == FehlerLaufzeit ? "Laufzeitfehler" : "Tipp"},
            {"line", result.Error->Line},
            {"column", result.Error->Column},
            {"message", text(result.Error->Message)},
        };
    } else if (!result.Problem.empty()) {
        object["error"] = QJsonObject{
            {"kind", QString::fromStdString(result.ProblemKind)},
            {"line", QJsonValue::Null},
            {"column", QJsonValue::Null},
            {"message", QString::fromStdString(result.Problem)},
        };
    } else {
        object["error"] = QJsonValue::Null;
    }
    QJsonArray variables;
    for (const TJsonVariable& variable : result.Variables)
        variables.append(QJsonObject{{"name", text(variable.Name)}, {"text", text(variable.Text)}});
    object["variables"] = variables;
    QJsonArray pictures;
    for (const std::string& picture : result.Pictures) pictures.append(QString::fromLocal8Bit(picture.c_str()));
    object["pictures"] = pictures;
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

void PrintJsonProblem(int status, const std::string& kind, const std::string& problem) {
    TJsonResult result;
    result.Status = status;
    result.ProblemKind = kind;
    result.Problem = problem;
    std::cout << JsonText(result) << '\n';
}

int RefuseFile(const TCommandLine& options, const std::string& problem) {
    std::cerr << problem << '\n';
    if (options.Json) PrintJsonProblem(2, "Datei", problem);
    return 2;
}
