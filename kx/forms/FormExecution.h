// Form execution: TKXFormExecution runs what the browser posted against a
// TKXForm, a full submit or a callback alike. It reads the fields that steer
// the execution ("KX_Action", "KX_ActionParam", "callback", "KX_width",
// "KX_height": each a number from 0 to 100,000, else ignored), applies the
// posted values to the controls (all values first, then the change events),
// runs the callback through the session's registry or the submit procedure of
// the action component, and the form's default action.
// Builds on forms/Forms.h.
#pragma once

#include <string>
#include <vector>

#include "kx/platform/StringLists.h"

namespace kx {

class TComponent;
class TKXForm;

class TKXFormExecution {
 public:
  explicit TKXFormExecution(TKXForm& form) : mForm(form) {}

  // The steps after the form-id check, on the form's Params. Raises Exception
  // "Cannot find submit component." for an unknown action and "Submit control
  // (NAME) does not have a handler." for one that does not submit, after the
  // posted values were applied; what a submit procedure raises passes on,
  // except EAbort, which ends the procedure silently.
  void Execute();
  // Applies the posted values: hidden fields, repeated fields joined with ","
  // ("a=1" and "a=2" become "a=1,2"), then every visible and enabled input
  // control named by a field, in no hidden or disabled container (a grid, for
  // the controls of its cells), takes its value (a multi-input control once per distinct line), then
  // the controls whose value changed fire their change events. The failures of
  // single controls are collected and raised together as EKXException "The
  // following exception(s) occured" with one line "  NAME: message" each
  // (EKXPostedValuesRefused when each failure is client-caused: IsClientCaused).
  void ApplyPostedValues();

  // Joins the lines of repeated names: a name that has a non-empty value already
  // gets the next value after ","; any other line is added as it is.
  static void JoinRepeatedFields(TStrings& params);
  // The message of the collected failures.
  static std::string FailureMessage(const std::vector<std::string>& lines);

 private:
  TComponent* FindActionComponent(const std::string& action);

  TKXForm& mForm;
};

}  // namespace kx
