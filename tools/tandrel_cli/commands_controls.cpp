// get and set over the control catalog.
#include <string>
#include <vector>

#include "commands.h"
#include "control_catalog.h"
#include "tandrel.h"

namespace cli {
namespace {

Value ValuesOf(const ControlValues& values, size_t count) {
  Value::Array items;
  for (size_t i = 0; i < count; ++i) items.emplace_back(values[i]);
  return Value(items);
}

// For the help: each name with its family and, for set, the largest value of each argument.
std::vector<std::string> Names(bool readable) {
  std::vector<std::string> names;
  for (const Control* c = ControlsBegin(); c != ControlsEnd(); ++c) {
    if (!(readable ? c->get != nullptr : c->set != nullptr)) continue;
    std::string line = std::string(c->name) + " (" + c->family + ")";
    if (readable && c->indexed) line += " INDEX";
    for (size_t i = 0; !readable && i < c->setCount; ++i)
      line += " 0.." + std::to_string(c->setLargest[i]);
    names.push_back(line);
  }
  return names;
}

// Every readable setting without an index, by name: its values, or the result it failed with.
ExitCode GetAll(Session& session) {
  Value settings(Value::Object{});
  for (const Control* c = ControlsBegin(); c != ControlsEnd(); ++c) {
    if (c->get == nullptr || c->indexed) continue;
    ControlValues values{};
    const int result = c->get(0, values);
    if (result == ZEL_E_UNREACHABLE) return session.Check(result, c->name);
    settings.Set(c->name,
                 result == ZEL_OK ? ValuesOf(values, c->getCount) : Value(ResultName(result)));
  }
  return session.Report(session.NewReport().Set("settings", settings));
}

const Control* Named(Session& session, bool readable, ExitCode& failure) {
  if (session.Words().empty()) {
    failure = session.Fail(kExitUsage, "missing setting name (see --help)");
    return nullptr;
  }
  const Control* control = FindControl(session.Words()[0]);
  if (control == nullptr || (readable ? control->get == nullptr : control->set == nullptr)) {
    failure = session.Fail(kExitUsage, "no " + std::string(readable ? "readable" : "writable") +
                                           " setting " + session.Words()[0] + " (see --help)");
    return nullptr;
  }
  return control;
}

}  // namespace

std::vector<std::string> ReadableSettingNames() { return Names(true); }
std::vector<std::string> WritableSettingNames() { return Names(false); }

ExitCode RunGet(Session& session) {
  if (const ExitCode bound = session.Bind()) return bound;
  if (session.Args().all) return GetAll(session);
  ExitCode failure = kExitOk;
  const Control* control = Named(session, true, failure);
  if (control == nullptr) return failure;
  uint32_t index = 0;
  if (control->indexed && !session.Number(1, "index", index, failure)) return failure;
  if (session.Words().size() != (control->indexed ? 2u : 1u)) {
    return session.Fail(kExitUsage, "too many arguments for " + std::string(control->name));
  }
  ControlValues values{};
  if (const ExitCode failed = session.Check(control->get(index, values), control->name))
    return failed;
  Value report = session.NewReport().Set("name", control->name);
  if (control->indexed) report.Set("index", index);
  return session.Report(report.Set("values", ValuesOf(values, control->getCount)));
}

ExitCode RunSet(Session& session) {
  ExitCode failure = kExitOk;
  const Control* control = Named(session, false, failure);
  if (control == nullptr) return failure;
  if (session.Words().size() != control->setCount + 1) {
    return session.Fail(kExitUsage, std::string(control->name) + " takes " +
                                        std::to_string(control->setCount) + " value(s)");
  }
  ControlValues values{};
  for (size_t i = 0; i < control->setCount; ++i) {
    if (!session.Number(i + 1, "value", values[i], failure)) return failure;
    if (values[i] > control->setLargest[i]) {
      return session.Fail(kExitRefused, std::string(control->name) + " value " +
                                            std::to_string(i + 1) + " is " +
                                            std::to_string(values[i]) + ", at most " +
                                            std::to_string(control->setLargest[i]));
    }
  }
  if (const ExitCode bound = session.Bind()) return bound;
  if (const ExitCode failed = session.Check(control->set(values), control->name)) return failed;
  return session.Report(session.NewReport()
                            .Set("name", control->name)
                            .Set("values", ValuesOf(values, control->setCount)));
}

}  // namespace cli
