#include "history/tree_text.h"

namespace viv {

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

std::string NewickLabel(const std::string& text) {
  if (text.find_first_of(" \t\r\n()[]':;,") == std::string::npos) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + '\'';
}

std::string NewickText(const std::vector<int64_t>& parent, const std::function<std::string(size_t)>& label,
                       const std::function<int64_t(size_t)>& length) {
  std::vector<std::vector<size_t>> children(parent.size());
  std::vector<size_t> roots;
  for (size_t k = 0; k < parent.size(); ++k) {
    if (parent[k] < 0) roots.push_back(k);
    else children[static_cast<size_t>(parent[k])].push_back(k);
  }
  std::string out;
  auto write = [&](size_t top) {
    struct Frame {
      size_t node, next;
    };
    std::vector<Frame> stack{{top, 0}};
    while (!stack.empty()) {
      Frame& f = stack.back();
      const auto& kids = children[f.node];
      if (f.next == 0 && !kids.empty()) out += '(';
      if (f.next < kids.size()) {
        if (f.next > 0) out += ',';
        stack.push_back({kids[f.next++], 0});
        continue;
      }
      if (!kids.empty()) out += ')';
      out += NewickLabel(label(f.node)) + ':' + std::to_string(length(f.node));
      stack.pop_back();
    }
  };
  if (roots.size() == 1) {
    write(roots[0]);
  } else {
    out += '(';
    for (size_t k = 0; k < roots.size(); ++k) {
      if (k > 0) out += ',';
      write(roots[k]);
    }
    out += ")founders";
  }
  return out + ";\n";
}

}  // namespace viv
