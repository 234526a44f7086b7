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


def write_ctc_variants(out, good, tokens, seed, extra=None):
    """The single-file CTC model `good` (bytes) with `tokens` in OUT/good, and its damaged copies:
    OUT/random-bytes (noise from `seed` for a model), OUT/no-blank (tokens without the blank), and
    OUT/<name> for each entry of `extra` (another model file, the good tokens)."""
    import numpy as np

    extra = extra or {}
    models = {"good": good, "no-blank": good,
              "random-bytes": np.random.default_rng(seed).integers(0, 256, 4096, dtype=np.uint8).tobytes(), **extra}
    folders = make_folders(out, ("good", "random-bytes", *extra, "no-blank"))
    for name, model in models.items():
        with open(os.path.join(folders[name], "model.onnx"), "wb") as f:
            f.write(model)
        write_tokens(os.path.join(folders[name], "tokens.txt"), ["啊"] + tokens[1:] if name == "no-blank" else tokens)
