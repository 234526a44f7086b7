"""What the scripts that generate the tests' models share: metadata, tokens files, folders."""

import os


def add_metadata(model, entries):
    """Adds the key/value pairs of `entries` to the model's metadata_props."""
    for key, value in entries.items():
        entry = model.metadata_props.add()
        entry.key, entry.value = key, str(value)


def write_tokens(path, tokens):
    """A tokens.txt: one "symbol id" line per token."""
    with open(path, "w", encoding="utf-8") as f:
        for index, token in enumerate(tokens):
            f.write(f"{token} {index}\n")


def make_folders(out, names):
    """OUT/<name> for each name, made; a dict from name to folder."""
    folders = {name: os.path.join(out, name) for name in names}
    for folder in folders.values():
        os.makedirs(folder, exist_ok=True)
    return folders
