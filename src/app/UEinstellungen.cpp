#include "UEinstellungen.h"

#include "LadenSpeichern.h"
#include "RegisterFileType.h"
#include "UDialogs.h"
#include "UFileErrors.h"
#include "UQtText.h"
#include "USHControl.h"
#include "USettingsFile.h"
#include "Uencrypt.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringDecoder>
#include <QVBoxLayout>

#include <filesystem>

namespace {

// The up-down with its edit field: the field only shows the position, the
// arrows (and the arrow keys) change it.
class TUpDown : public QSpinBox {
public:
    explicit TUpDown(QWidget* parent) : QSpinBox(parent) { lineEdit()->setReadOnly(true); }
    QLineEdit* Edit() const { return lineEdit(); }
};

const char* const kMemoLines[] = {
    "Durch Drücken auf den linken Button können Sie ZAK bei Windows anmelden. Alle ",
    "*.zak-Dateien werden im Explorer dann automatisch mit ZAK assoziiert und mit dem ",
    "entsprechenden Icon versehen. Ein Doppelklick auf eine *.zak - Datei startet dann ",
    "automatisch ZAK und lädt die entsprechende Datei. Wollen Sie ZAK später ",
    "deinstallieren, so können Sie durch Drücken auf den rechten Button alle Änderungen ",
    "an der Registry wieder rückgängig machen.",
    "Wenn Sie Windows XP benutzen, müssen Sie als Administrator angemeldet sein, damit ",
    "die Änderungen an der Registry durchgeführt werden können.",
};

// Keeps NUL characters, which a file may hold, and a byte order mark in
// front, which QString::fromUtf8 would drop (SettingsFile::Text dropped the
// one a file's text may start with already).
QString FromUtf8(const std::string& utf8) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

} // namespace

std::string SettingsBytes(const QString& text) {
    std::string bytes = FromQString(text);
    if (ToQString(bytes) == text) return bytes;
    return text.toUtf8().toStdString();
}

QStringList SettingsSearchPath() {
    QStringList paths{QDir::current().absoluteFilePath(kSettingsFileName), UserSettingsFile()};
    const QString dirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    // Relative entries are ignored, as the XDG rules say.
    for (const QString& dir : (dirs.isEmpty() ? QStringLiteral("/etc/xdg") : dirs).split(':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir)) paths << QDir(dir).filePath(QStringLiteral("zak/") + kSettingsFileName);
    return paths;
}

QString UserSettingsFile() {
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) home = QDir::home().filePath(QStringLiteral(".config"));
    return QDir(home).filePath(QStringLiteral("zak/") + kSettingsFileName);
}

QString SettingsText(const std::string& bytes) { return FromUtf8(SettingsFile::Text(bytes)); }

TFEinstellungen::TFEinstellungen(QWidget* parent) : QDialog(parent) {
    setObjectName("FEinstellungen");
    setWindowTitle("Einstellungen");
    ApplicationPath = [] { return QCoreApplication::applicationFilePath(); };
    FLoadSave = std::make_unique<TLoadSave>();
    BuildControls();
    resize(507, 449);
}

TFEinstellungen::~TFEinstellungen() = default;

void TFEinstellungen::BuildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* sizeRow = new QHBoxLayout;
    auto* sizeLabel = new QLabel("Schriftgröße im Editor:", this);
    auto* upDown = new TUpDown(this);
    UDCharacterSize = upDown;
    UDCharacterSize->setObjectName("UDCharacterSize");
    UDCharacterSize->setRange(kMinFontSize, kMaxFontSize);
    UDCharacterSize->setValue(kMinFontSize);
    ECharacterSize = upDown->Edit();
    ECharacterSize->setObjectName("ECharacterSize");
    sizeLabel->setBuddy(UDCharacterSize);
    sizeRow->addWidget(sizeLabel);
    sizeRow->addWidget(UDCharacterSize);
    sizeRow->addStretch();
    layout->addLayout(sizeRow);

    GBFileRegistrieren = new QGroupBox("Endung \".zak\" beim Betriebssystem registrieren", this);
    GBFileRegistrieren->setObjectName("GBFileRegistrieren");
    auto* groupLayout = new QVBoxLayout(GBFileRegistrieren);
    Memo1 = new QPlainTextEdit(GBFileRegistrieren);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QStringList memo;
    for (const char* line : kMemoLines) memo << QString::fromUtf8(line);
    Memo1->setPlainText(memo.join('\n'));
    groupLayout->addWidget(Memo1);
    auto* registerRow = new QHBoxLayout;
    BRegister = new QPushButton("Endung .zak registrieren", GBFileRegistrieren);
    BRegister->setObjectName("BRegister");
    BDeregister = new QPushButton("Änderungen der Registry wieder rückgängig machen", GBFileRegistrieren);
    BDeregister->setObjectName("BDeregister");
    registerRow->addWidget(BRegister);
    registerRow->addWidget(BDeregister);
    groupLayout->addLayout(registerRow);
    layout->addWidget(GBFileRegistrieren, 1);

    layout->addWidget(new QLabel(
        "Sie können ein Passwort vergeben, so dass man diesen Einstellungsdialog nur mit Kenntnis", this));
    layout->addWidget(new QLabel("dieses Passworts aufrufen kann.", this));

    auto* passwordRow = new QHBoxLayout;
    auto* passwordLabel = new QLabel("Passwort:", this);
    EPasswort = new QLineEdit(this);
    EPasswort->setObjectName("EPasswort");
    EPasswort->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    passwordLabel->setBuddy(EPasswort);
    passwordRow->addWidget(passwordLabel);
    passwordRow->addWidget(EPasswort, 1);
    layout->addLayout(passwordRow);

    CBKeineZuweisungZuAttributen =
        new QCheckBox("Zuweisungen zu Attributen (z.B. r.links := 10) verbieten", this);
    CBKeineZuweisungZuAttributen->setObjectName("CBKeineZuweisungZuAttributen");
    layout->addWidget(CBKeineZuweisungZuAttributen);

    auto* directoryRow = new QHBoxLayout;
    auto* directoryLabel = new QLabel("Arbeitsverzeichnis:", this);
    EArbeitsverzeichnis = new QLineEdit(this);
    EArbeitsverzeichnis->setObjectName("EArbeitsverzeichnis");
    directoryLabel->setBuddy(EArbeitsverzeichnis);
    directoryRow->addWidget(directoryLabel);
    directoryRow->addWidget(EArbeitsverzeichnis, 1);
    layout->addLayout(directoryRow);

    auto* buttonRow = new QHBoxLayout;
    BOK = new QPushButton("OK", this);
    BOK->setObjectName("BOK");
    BOK->setDefault(true);
    BAbbrechen = new QPushButton("Abbrechen", this);
    BAbbrechen->setObjectName("BAbbrechen");
    buttonRow->addStretch();
    buttonRow->addWidget(BOK);
    buttonRow->addWidget(BAbbrechen);
    layout->addLayout(buttonRow);

    connect(BOK, &QPushButton::clicked, this, [this] { BOKClick(); });
    connect(BAbbrechen, &QPushButton::clicked, this, [this] { BAbbrechenClick(); });
    connect(BRegister, &QPushButton::clicked, this, [this] { BRegisterClick(); });
    connect(BDeregister, &QPushButton::clicked, this, [this] { BDeregisterClick(); });
}

void TFEinstellungen::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    VarToScreen();
}

void TFEinstellungen::VarToScreen() {
    CBKeineZuweisungZuAttributen->setChecked(FNoAttributeAssignment.load());
    EPasswort->setText(FPassword);
    EArbeitsverzeichnis->setText(FWorkingDirectory);
    UDCharacterSize->setValue(FFontSize);
}

void TFEinstellungen::ScreenToVar() {
    FNoAttributeAssignment = CBKeineZuweisungZuAttributen->isChecked();
    FPassword = EPasswort->text();
    FWorkingDirectory = EArbeitsverzeichnis->text();
    FFontSize = UDCharacterSize->value();
}

void TFEinstellungen::EinstellungenLaden() {
    TLoadSave& file = *FLoadSave;
    FFileName.clear();
    for (const QString& path : SettingsSearchPath())
        if (file.OpenRead(path)) {
            FFileName = path;
            break;
        }
    if (FFileName.isEmpty()) {
        FPassword.clear();
        VarToScreen();
        return;
    }
    const SettingsFile::TSettings settings = SettingsFile::Read(file.Reader());
    FPassword = FromUtf8(settings.Password);
    FNoAttributeAssignment = settings.NoAttributeAssignment;
    FWorkingDirectory = FromUtf8(settings.WorkingDirectory);
    FFontSize = settings.FontSize;
    if (FEditor) FEditor->SetFontSize(FFontSize);
    file.Close();
    VarToScreen();
}

bool TFEinstellungen::EinstellungenSpeichern() {
    // A lab's file in /etc/xdg (or a teacher's read-only one in the current
    // folder) stays as it is; the user's own copy then takes the changes.
    QStringList targets;
    if (!FFileName.isEmpty()) targets << FFileName;
    if (!targets.contains(UserSettingsFile())) targets << UserSettingsFile();
    for (const QString& path : targets) {
        FTriedFileName = path;
        if (path == UserSettingsFile()) {
            std::error_code made;
            std::filesystem::create_directories(QFileInfo(path).absolutePath().toStdString(), made);
            if (made) {
                FSaveError = SystemErrorReason(made.value());
                continue;
            }
        }
        if (WriteFile(path)) {
            FFileName = path;
            return true;
        }
        FSaveError = FLoadSave->WriteError();
    }
    return false;
}

bool TFEinstellungen::WriteFile(const QString& path) {
    TLoadSave& file = *FLoadSave;
    if (!file.OpenWrite(path)) return false;
    file.WriteString("pass",
                     Scramble(FPassword.isEmpty() ? std::string(SettingsFile::kNoPassword) : SettingsBytes(FPassword)));
    file.WriteBoolean("KeineZuweisungZuAttributen", FNoAttributeAssignment.load());
    file.WriteString("Arbeitsverzeichnis", SettingsBytes(FWorkingDirectory));
    file.WriteInteger("Schriftgroesse", FFontSize);
    return file.Close();
}

void TFEinstellungen::BOKClick() {
    ScreenToVar();
    // The settings hold for this session either way; the user learns that
    // they (and a password just set) will be gone at the next start.
    const bool saved = EinstellungenSpeichern();
    hide();
    if (!saved)
        Dialogs().Message(parentWidget(),
                          "Die Einstellungen konnten nicht in der Datei \"" +
                              QFileInfo(FTriedFileName).fileName() + "\" im Ordner \"" +
                              QDir::toNativeSeparators(QFileInfo(FTriedFileName).absolutePath()) +
                              "\" gespeichert werden:\n" + FSaveError +
                              "\nSie gelten nur bis zum Beenden von ZAK.",
                          "Meldung:", TMessageIcon::Warning);
    if (FEditor) {
        FEditor->NotifyTextChanged();
        FEditor->SetFontSize(FFontSize);
    }
    if (OnApplied) OnApplied();
}

void TFEinstellungen::BAbbrechenClick() { hide(); }

void TFEinstellungen::BRegisterClick() {
    QString error;
    if (RegisterFileType("zak", ApplicationPath(), &error))
        Dialogs().Message(this, "ZAK wurde in der Registry angemeldet.", "Fertig!");
    else
        Dialogs().Message(this, "ZAK konnte nicht angemeldet werden.\n" + error, "Fehler",
                          TMessageIcon::Warning);
}

void TFEinstellungen::BDeregisterClick() {
    QString error;
    if (DeregisterFileType("zak", &error))
        Dialogs().Message(this, "Alle ZAK-Einträge in der Registry wurden entfernt", "Fertig!");
    else
        Dialogs().Message(this, "Nicht alle ZAK-Einträge konnten entfernt werden.\n" + error, "Fehler",
                          TMessageIcon::Warning);
}
