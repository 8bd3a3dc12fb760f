#pragma once
// "Branch here": the settings of the new branch, every key with its value in the world and an
// editable value for the branch; the keys that differ are named as they are typed.
#include <QDialog>
#include <map>
#include <string>

#include "config/settings.h"

class QLabel;
class QTableWidget;

namespace viv {

class TBranchDialog : public QDialog {
  Q_OBJECT
 public:
  TBranchDialog(QWidget* parent, const TSettings& rules, int64_t step);

  QTableWidget* Keys;  // key, in the world, in the branch (editable)
  QLabel* Changes;     // "SunLight 1 -> 0.5", or that none differ, or what is wrong with a value

  // The branch's rules as typed; throws EConvertError naming a key whose value is not taken.
  TSettings BranchRules() const;
  // The keys whose values differ from the world's, with the branch's values.
  std::map<std::string, double> Overrides() const;

 private:
  void Check();
  TSettings rules_;
};

class TWindowMessages;
class TWorldDocument;

// B and the Timeline tab's button: asks for a new branch's settings and starts it from the step
// shown (nothing while the world keeps no timeline); V and the tab's other button: the branch
// beside is shown. A failure is told in a box.
void BranchHereAsked(QWidget* parent, TWorldDocument& doc, TWindowMessages& messages);
void SwitchBranchTold(TWorldDocument& doc, TWindowMessages& messages);

}  // namespace viv
