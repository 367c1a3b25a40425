"""Quorlex from Python: HTML into plain text laid out for reading, or HTML with chosen markup
removed, under the same policies as the console program quorlexrun.

    import quorlex
    text = quorlex.to_text("<h1>Hello</h1><p>World</p>")
    narrow = quorlex.Converter({"Target Page width": 60})
    for page in pages:
        print(narrow.to_text(page))

A document given as ``str`` is converted as UTF-8 whatever charset it declares; given as
``bytes`` it is read as quorlexrun reads a file (a byte-order mark, else the charset the
document declares, else UTF-8). The result is a ``str``: the output is UTF-8, and bytes that
are not (with the policy "Output character set : 8-bit") are kept as lone surrogates, so
``text.encode("utf-8", "surrogateescape")`` gives the exact bytes quorlexrun writes.

Converting releases the interpreter lock: threads convert in parallel, on one converter or
on many.
"""

from typing import List, Mapping, NamedTuple, Optional, Tuple, Union

from . import _quorlex

__all__ = [
    "Converter",
    "ConversionError",
    "Error",
    "Message",
    "PolicyError",
    "remove_markup",
    "to_text",
    "__version__",
]

__version__ = _quorlex.version

Html = Union[str, bytes]
PolicyValue = Union[bool, int, str]


class Message(NamedTuple):
    """A message of a conversion or of reading the policies, as quorlexrun writes it
    ("ERROR: ...", "WARNING: ...", "POLICY: ..."); levels run from 1 to 10, 10 the usual."""

    level: int
    text: str


class Error(Exception):
    """What quorlex raises; ``messages`` holds the messages that say why."""

    def __init__(self, messages: List[Message]) -> None:
        super().__init__("\n".join(message.text for message in messages))
        self.messages = messages


class PolicyError(Error):
    """The policies could not be read as given (an unknown name, a value refused, a policy
    file that cannot be read)."""


class ConversionError(Error):
    """A conversion failed."""


def _messages(raw: List[Tuple[int, bytes]]) -> List[Message]:
    return [Message(level, text.decode("utf-8", "replace")) for level, text in raw]


def _policy_text(name: str, value: PolicyValue) -> Tuple[str, str]:
    # A policy file writes switches as Yes/No and numbers in decimal.
    if isinstance(value, bool):
        return name, "Yes" if value else "No"
    if isinstance(value, (int, str)):
        return name, str(value)
    raise TypeError(f"policy {name!r}: a bool, int or str value, not {type(value).__name__}")


class Converter:
    """Converts documents under one set of policies, read once.

    ``policies`` maps policy names to values ({"Target Page width": 60, "Attempt to parse
    tables": False}) set over the defaults; ``policy_file`` names a policy file instead
    (not both). ``header_box`` opens text output with quorlexrun's header box.

    Raises PolicyError when the policies cannot be read as given. A converter may be used
    from many threads at once; ``messages`` is then the list of whichever conversion ended
    last.
    """

    def __init__(
        self,
        policies: Optional[Mapping[str, PolicyValue]] = None,
        policy_file: Optional[str] = None,
        header_box: bool = False,
    ) -> None:
        if policies is not None and policy_file is not None:
            raise TypeError("give policies or policy_file, not both")
        pairs = None if policies is None else [_policy_text(*item) for item in policies.items()]
        self._converter = _quorlex.Converter(pairs, policy_file, header_box)
        errors = _messages(self._converter.errors)
        if errors:
            raise PolicyError(errors)
        self.messages: List[Message] = []

    @property
    def writes_text(self) -> bool:
        """What quorlexrun writes under these policies: text ("Remove all tags : Yes", the
        default), or HTML with the chosen markup removed (False)."""
        return self._converter.writes_text

    def to_text(self, html: Html) -> str:
        """The document as text laid out for reading. Raises ConversionError on failure."""
        return self._convert(html, markup=False)

    def remove_markup(self, html: Html) -> str:
        """The document with the markup the policies choose removed, still HTML. Raises
        ConversionError on failure."""
        return self._convert(html, markup=True)

    def to_text_named(self, html: Html, input_name: str, output_name: str) -> str:
        """As to_text, the header box (when the converter has one) naming the document
        ``input_name`` and its output ``output_name`` as quorlexrun names files: the text is
        the file quorlexrun writes for them (on the same day: the box shows the date)."""
        return self._convert(html, markup=False, names=(input_name, output_name))

    def _convert(self, html: Html, markup: bool, names: Optional[Tuple[str, str]] = None) -> str:
        utf8 = isinstance(html, str)
        data = html.encode("utf-8", "surrogateescape") if utf8 else bytes(html)
        ok, text, raw = self._converter.convert(data, utf8, markup, names)
        self.messages = _messages(raw)
        if not ok:
            raise ConversionError(self.messages)
        return text.decode("utf-8", "surrogateescape")


def to_text(
    html: Html,
    policies: Optional[Mapping[str, PolicyValue]] = None,
    policy_file: Optional[str] = None,
) -> str:
    """The document as text laid out for reading, under these policies (see Converter)."""
    return Converter(policies, policy_file).to_text(html)


def remove_markup(
    html: Html,
    policies: Optional[Mapping[str, PolicyValue]] = None,
    policy_file: Optional[str] = None,
) -> str:
    """The document with the markup the policies choose removed (see Converter)."""
    return Converter(policies, policy_file).remove_markup(html)
