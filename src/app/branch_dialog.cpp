#include "app/branch_dialog.h"

#include "app/window_messages.h"
#include "app/world_document.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "config/errors.h"
#include "config/number_text.h"

namespace viv {

TBranchDialog::TBranchDialog(QWidget* parent, const TSettings& rules, int64_t step) : QDialog(parent), rules_(rules) {
  setWindowTitle("Branch here");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString("A new branch from step %1; the world as it is goes on beside it.\n"
                                       "Change the settings the branch runs under (or none, for a control run):")
                                   .arg(QLocale(QLocale::English).toString(static_cast<qlonglong>(step))),
                               this));
  const std::vector<std::string> keys = SettingsKeys();
  Keys = new QTableWidget(static_cast<int>(keys.size()), 3, this);
  Keys->setHorizontalHeaderLabels({"Key", "In the world", "In the branch"});
  Keys->verticalHeader()->hide();
  for (int row = 0; row < static_cast<int>(keys.size()); ++row) {
    const QString value = QString::fromStdString(FloatToText(rules.Get(keys[row])));
    auto* key = new QTableWidgetItem(QString::fromStdString(keys[row]));
    auto* now = new QTableWidgetItem(value);
    key->setFlags(Qt::ItemIsEnabled), now->setFlags(Qt::ItemIsEnabled);
    Keys->setItem(row, 0, key);
    Keys->setItem(row, 1, now);
    Keys->setItem(row, 2, new QTableWidgetItem(value));
  }
  Keys->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  layout->addWidget(Keys, 1);
  Changes = new QLabel(this);
  Changes->setWordWrap(true);
  layout->addWidget(Changes);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("Branch");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  connect(Keys, &QTableWidget::itemChanged, this, [this, buttons](QTableWidgetItem*) {
    Check();
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!Changes->text().startsWith("Not taken"));
  });
  resize(460, 560);
  Check();
}

TSettings TBranchDialog::BranchRules() const {
  TSettings branch = rules_;
  for (int row = 0; row < Keys->rowCount(); ++row) {
    const std::string key = Keys->item(row, 0)->text().toStdString();
    const std::string text = Keys->item(row, 2)->text().trimmed().toStdString();
    double value = 0;
    try {
      value = StrToFloat(text);
    } catch (const EConvertError&) {
      throw EConvertError(key + ": '" + text + "' is not a number");
    }
    branch.Set(key, value);
  }
  return branch;
}

std::map<std::string, double> TBranchDialog::Overrides() const {
  const TSettings branch = BranchRules();
  std::map<std::string, double> changed;
  for (const std::string& key : SettingsKeys())
    if (branch.Get(key) != rules_.Get(key)) changed[key] = branch.Get(key);
  return changed;
}

void TBranchDialog::Check() {
  try {
    const std::string differences = SettingsDifferences(rules_, BranchRules());
    Changes->setText(differences.empty() ? "No setting differs: the branch stays the world (a control run)."
                                         : QString::fromStdString("The branch changes " + differences + "."));
  } catch (const EConvertError& e) {
    Changes->setText(QString("Not taken: ") + e.what());
  }
}

void BranchHereAsked(QWidget* parent, TWorldDocument& doc, TWindowMessages& messages) {
  if (!doc.Timeline() || !doc.Started()) return;
  TBranchDialog dialog(parent, doc.Sim().Rules(), doc.Sim().StepCount());
  if (dialog.exec() != QDialog::Accepted) return;
  try {
    doc.BranchHere(dialog.Overrides());
  } catch (const std::exception& e) {
    messages.Report(e);
  }
}

void SwitchBranchTold(TWorldDocument& doc, TWindowMessages& messages) {
  try {
    doc.SwitchBranch();
  } catch (const std::exception& e) {
    messages.Report(e);
  }
}

}  // namespace viv
