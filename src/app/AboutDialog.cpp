#include "app/AboutDialog.h"

#include <QApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "BuildConfig.h"
#include "app/AppIcon.h"
#include "foundation/ToolVersion.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "join/outcome/Messages.h"

namespace velmora::app {
namespace {

QLabel* valueLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowTitle(tr("About Velmora"));

    auto* icon = new QLabel(this);
    icon->setPixmap(appIcon().pixmap(64, 64));
    auto* name = new QLabel(QStringLiteral("Velmora"), this);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    auto* tagline = new QLabel(tr("Joins audio and video files into one file."), this);

    toolVersion_ = valueLabel(tr("looking…"), this);
    toolVersion_->setObjectName(QStringLiteral("toolVersion"));
    toolsFolder_ = valueLabel(toQString(toolsDirectory()), this);
    toolsFolder_->setObjectName(QStringLiteral("toolsFolder"));
    licence_ = valueLabel(QStringLiteral(VELMORA_LICENSE), this);
    licence_->setObjectName(QStringLiteral("licence"));

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    form->addRow(tr("Version:"), valueLabel(QStringLiteral(VELMORA_VERSION), this));
    form->addRow(tr("Licence:"), licence_);
    form->addRow(tr("ffmpeg found:"), toolVersion_);
    form->addRow(tr("Tools folder:"), toolsFolder_);
    form->addRow(tr("Qt:"), valueLabel(QString::fromLatin1(qVersion()), this));
    const QUrl page(QString::fromStdString(developerPageAddress()), QUrl::StrictMode);
    if (page.isValid() && !page.host().isEmpty()) {
        auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(page.toString().toHtmlEscaped()), this);
        link->setObjectName(QStringLiteral("webPage"));
        link->setOpenExternalLinks(true);
        form->addRow(tr("Web page:"), link);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* heading = new QHBoxLayout;
    heading->addWidget(icon);
    auto* names = new QVBoxLayout;
    names->addWidget(name);
    names->addWidget(tagline);
    heading->addLayout(names, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addSpacing(8);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(480);
}

void AboutDialog::setToolVersion(const std::optional<std::string>& version)
{
    toolVersion_->setText(version ? QString::fromStdString(*version)
                                  : tr("none: no working \"%1\" in the tools folder").arg(QLatin1String(kCreatorToolResource)));
}

void openAboutDialog(QWidget* parent, QThreadPool& pool)
{
    QPointer<AboutDialog> dialog = new AboutDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    pool.start([dialog] {
        const std::optional<std::string> version = toolVersion(resourcePath(kCreatorToolResource).value_or(""));
        QMetaObject::invokeMethod(
            qApp, [dialog, version] {
                if (dialog)
                    dialog->setToolVersion(version);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace velmora::app
