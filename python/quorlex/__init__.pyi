from typing import List, Mapping, NamedTuple, Optional, Union

Html = Union[str, bytes]
PolicyValue = Union[bool, int, str]

__version__: str

class Message(NamedTuple):
    level: int
    text: str

class Error(Exception):
    messages: List[Message]
    def __init__(self, messages: List[Message]) -> None: ...

class PolicyError(Error): ...
class ConversionError(Error): ...

class Converter:
    messages: List[Message]
    def __init__(
        self,
        policies: Optional[Mapping[str, PolicyValue]] = ...,
        policy_file: Optional[str] = ...,
        header_box: bool = ...,
    ) -> None: ...
    @property
    def writes_text(self) -> bool: ...
    def to_text(self, html: Html) -> str: ...
    def remove_markup(self, html: Html) -> str: ...
    def to_text_named(self, html: Html, input_name: str, output_name: str) -> str: ...

def to_text(
    html: Html,
    policies: Optional[Mapping[str, PolicyValue]] = ...,
    policy_file: Optional[str] = ...,
) -> str: ...
def remove_markup(
    html: Html,
    policies: Optional[Mapping[str, PolicyValue]] = ...,
    policy_file: Optional[str] = ...,
) -> str: ...
