// The form description: a small text format that lists a form's controls, their parents and
// properties, and binds events to the form's published handlers by name.
//
//   object Form1: TForm1
//     ClientWidth = 462
//     Color = clGray
//     OnCreate = FormCreate
//     object Panel1: TPanel
//       Caption = ''
//     end
//   end
//
// Values are integers, identifiers (clBlack, True, alClient, ...), strings in single quotes
// (UTF-8; '' stands for one quote) and sets in brackets. An unknown control kind, property,
// value or handler name is an error that names it and its line.
#pragma once

#include <string_view>

class TForm;

// Builds the form's controls from the description. Throws Exception on any error; the form
// may then be half built and must be discarded.
void LoadForm(TForm& form, std::string_view resource_name, std::string_view text);
