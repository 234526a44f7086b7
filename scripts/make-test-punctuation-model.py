#!/usr/bin/python3
"""Writes a tiny CT-Transformer-shaped punctuation model for the tests, and damaged copies of it.

    /usr/bin/python3 scripts/make-test-punctuation-model.py OUTDIR

creates
    OUTDIR/good/            model.int8.onnx: loads and punctuates
    OUTDIR/random-bytes/    model.int8.onnx is noise (the library throws)
    OUTDIR/no-metadata/     no "punctuations" entry (the library exits the process)
    OUTDIR/short-vocab/     "vocab_size" differs from the number of tokens (it exits the process)

The model has the inputs and outputs of sherpa-onnx's CT-Transformer (`inputs` int32 [N, T],
`text_lengths` int32 [N], `logits` float [N, T, 6]) and its metadata (`tokens`, `vocab_size`,
`punctuations`, `unk_symbol`), but no transformer: every token gets "_" (no mark) except "好",
which gets "。". So "今天天气很好我们出去玩" reads "今天天气很好。我们出去玩" plus whatever the
library adds at the end.

Needs Debian's python3-onnx and python3-numpy (use /usr/bin/python3, not a pyenv shim).
"""

import os
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

TOKENS = ["<blank>", "<s>", "</s>", "<unk>", "今", "天", "气", "很", "好", "我", "们", "出", "去", "玩", "hello", "world"]
PUNCTUATIONS = ["<unk>", "_", "，", "。", "？", "、"]
MARKED = "好"
CONFIDENT = 10.0


def build_model(metadata):
    marks = len(PUNCTUATIONS)
    plain = np.zeros((marks,), dtype=np.float32)
    plain[PUNCTUATIONS.index("_")] = CONFIDENT
    full_stop = np.zeros((marks,), dtype=np.float32)
    full_stop[PUNCTUATIONS.index("。")] = CONFIDENT
    initializers = [
        numpy_helper.from_array(np.array(TOKENS.index(MARKED), dtype=np.int32), "marked_id"),
        numpy_helper.from_array(plain, "plain_logits"),
        numpy_helper.from_array(full_stop - plain, "stop_delta"),
        numpy_helper.from_array(np.array([-1], dtype=np.int64), "last_axis"),
    ]
    nodes = [
        helper.make_node("Equal", ["inputs", "marked_id"], ["is_marked"]),  # [N, T]
        helper.make_node("Cast", ["is_marked"], ["marked"], to=TensorProto.FLOAT),
        helper.make_node("Unsqueeze", ["marked", "last_axis"], ["marked3"]),  # [N, T, 1]
        helper.make_node("Mul", ["marked3", "stop_delta"], ["delta"]),  # [N, T, 6]
        helper.make_node("Add", ["delta", "plain_logits"], ["logits"]),
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-ct-transformer",
        inputs=[
            helper.make_tensor_value_info("inputs", TensorProto.INT32, ["N", "T"]),
            helper.make_tensor_value_info("text_lengths", TensorProto.INT32, ["N"]),
        ],
        outputs=[helper.make_tensor_value_info("logits", TensorProto.FLOAT, ["N", "T", marks])],
        initializer=initializers,
    )
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)], producer_name="vocena-tests")
    model.ir_version = 7
    for key, value in metadata.items():
        entry = model.metadata_props.add()
        entry.key, entry.value = key, str(value)
    onnx.checker.check_model(model)
    return model.SerializeToString()


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    metadata = {
        "model_type": "ct_transformer",
        "tokens": "|".join(TOKENS),
        "vocab_size": len(TOKENS),
        "punctuations": "|".join(PUNCTUATIONS),
        "unk_symbol": "<unk>",
        "comment": "puts 。 after 好, a test model, not a punctuator",
    }
    variants = {
        "good": build_model(metadata),
        "random-bytes": np.random.default_rng(7).integers(0, 256, 4096, dtype=np.uint8).tobytes(),
        "no-metadata": build_model({k: v for k, v in metadata.items() if k != "punctuations"}),
        "short-vocab": build_model(dict(metadata, vocab_size=len(TOKENS) + 1)),
    }
    for name, data in variants.items():
        folder = os.path.join(out, name)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "model.int8.onnx"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
