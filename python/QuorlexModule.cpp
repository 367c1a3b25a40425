// The compiled part of the Python module quorlex: the converter of the public C++ API, its
// documents passed as bytes and its results as plain tuples. The package's Python code
// (quorlex/__init__.py) turns policies into pairs, results into str and failures into
// exceptions.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "quorlex/quorlex.h"

namespace py = pybind11;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

py::list MessageList(const std::vector<quorlex::Message>& messages) {
  py::list list;
  for (const quorlex::Message& message : messages) {
    list.append(py::make_tuple(message.level, py::bytes(message.text)));
  }
  return list;
}

// A converter and what one conversion gives, as (ok, text, messages), the text and the
// message texts as bytes: the output is UTF-8 unless the policies ask for 8-bit bytes, and
// the Python side decides how to read it.
class ModuleConverter {
 public:
  ModuleConverter(const std::optional<Pairs>& pairs, const std::optional<std::string>& policyFile,
                  bool headerBox)
      : converter_(Make(pairs, policyFile, {.headerBox = headerBox})) {}

  py::list Errors() const { return MessageList(converter_.errors()); }
  bool WritesText() const { return converter_.WritesText(); }

  // Converts `html` (held, not copied, while the interpreter lock is released); `names`,
  // when given, name the document and its output for the header box.
  py::tuple Convert(const py::bytes& html, bool utf8, bool markup,
                    const std::optional<std::pair<std::string, std::string>>& names) const {
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(html.ptr(), &data, &size) != 0) throw py::error_already_set();
    const std::string_view document(data, static_cast<size_t>(size));
    const quorlex::Input input = utf8 ? quorlex::Input::kUtf8 : quorlex::Input::kBytes;
    quorlex::Result result;
    {
      const py::gil_scoped_release release;
      if (markup) {
        result = converter_.RemoveMarkup(document, input);
      } else if (names) {
        result = converter_.ToText(document, input, {names->first, names->second});
      } else {
        result = converter_.ToText(document, input);
      }
    }
    return py::make_tuple(result.ok, py::bytes(result.text), MessageList(result.messages));
  }

 private:
  static quorlex::Converter Make(const std::optional<Pairs>& pairs,
                                 const std::optional<std::string>& policyFile,
                                 quorlex::Options options) {
    if (policyFile) return quorlex::Converter::FromPolicyFile(*policyFile, options);
    return quorlex::Converter::FromPolicies(pairs.value_or(Pairs()), options);
  }

  const quorlex::Converter converter_;
};

}  // namespace

PYBIND11_MODULE(_quorlex, module) {
  module.doc() = "The compiled converter under the quorlex package; use quorlex instead.";
  module.attr("version") = quorlex::Version();
  py::class_<ModuleConverter>(module, "Converter")
      .def(py::init<const std::optional<Pairs>&, const std::optional<std::string>&, bool>(),
           py::arg("pairs"), py::arg("policy_file"), py::arg("header_box"))
      .def_property_readonly("errors", &ModuleConverter::Errors)
      .def_property_readonly("writes_text", &ModuleConverter::WritesText)
      .def("convert", &ModuleConverter::Convert, py::arg("html"), py::arg("utf8"),
           py::arg("markup"), py::arg("names"));
}
