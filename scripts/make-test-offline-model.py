#!/usr/bin/python3
"""Writes a tiny non-streaming zipformer CTC model for the tests, and damaged copies of it.

    /usr/bin/python3 scripts/make-test-offline-model.py OUTDIR

creates
    OUTDIR/good/            model.onnx + tokens.txt (byte-level BPE): loads and decodes
    OUTDIR/random-bytes/    model.onnx is noise (the library throws)
    OUTDIR/no-blank/        tokens.txt has no <blk> (the library exits the process)

The library's offline zipformer CTC takes the model's inputs and outputs by position:
features [N, T, 80] (float, 80-bin log-mel fbank at 16 kHz, 10 ms frames) with their lengths
[N] (int64), giving log-probabilities [N, T', V] with their lengths (int64) at a quarter of the
frame rate. It reads no metadata; the entries below are what icefall's exports carry.

The model is no recogniser: of every fourth frame it takes the mean log-mel energy and emits a
token when the frame is voiced (above the floor of digital silence), blank otherwise; voiced
frames alternate 您/好 by position. The same speech that the streaming test model hears as
你好… this one therefore hears as 您好…, and silence as "".

Needs Debian's python3-onnx and python3-numpy (use /usr/bin/python3, not a pyenv shim).
"""

import os
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from testmodels import add_metadata, write_ctc_variants  # noqa: E402

FEATURE_DIM = 80
SUBSAMPLING = 4
# Byte-level BPE (bbpe) as in the real zipformer CTC models: each byte of a token's UTF-8 is
# written as one printable character (icefall's byte_utils), and the library takes a tokens
# file for bbpe when no byte of it is above 0xC6 and some byte is 0xC6; it decodes the text
# back to UTF-8. Here 您 and 好 are one token each; the last token, never emitted, holds the
# character of byte 0xFF (U+01A6, UTF-8 C6 A6) as real vocabularies of all 256 bytes do.
PRINTABLE_BASE_CHARS = (list(range(256, 288)) + list(range(32, 127)) + list(range(288, 306)) + list(range(308, 319))
                        + list(range(321, 329)) + list(range(330, 383)) + list(range(384, 423)))


def byte_encode(text):
    return "".join(chr(PRINTABLE_BASE_CHARS[b]) for b in text.encode("utf-8"))


TOKENS = ["<blk>", byte_encode("您"), byte_encode("好"), chr(PRINTABLE_BASE_CHARS[255])]
# Mean log-mel energy of a frame above which it counts as voiced. Digital silence gives the
# logarithm of the fbank's floor (about -15.9); speech at any usual level is far above -8.
VOICED_FLOOR = -8.0
CONFIDENT = 10.0  # logit of the chosen symbol; the others are 0


def onehot(index):
    row = np.zeros((1, 1, len(TOKENS)), dtype=np.float32)
    row[0, 0, index] = CONFIDENT
    return row


def build_model():
    initializers = [
        numpy_helper.from_array(np.array([0], dtype=np.int64), "zero_1d"),
        numpy_helper.from_array(np.array([np.iinfo(np.int64).max], dtype=np.int64), "end_1d"),
        numpy_helper.from_array(np.array([1], dtype=np.int64), "axis_time"),
        numpy_helper.from_array(np.array([SUBSAMPLING], dtype=np.int64), "step"),
        numpy_helper.from_array(np.array(0, dtype=np.int64), "zero"),
        numpy_helper.from_array(np.array(1, dtype=np.int64), "one_i"),
        numpy_helper.from_array(np.array(2, dtype=np.int64), "two"),
        numpy_helper.from_array(np.array(SUBSAMPLING - 1, dtype=np.int64), "round_up"),
        numpy_helper.from_array(np.array(SUBSAMPLING, dtype=np.int64), "subsampling"),
        numpy_helper.from_array(np.array(VOICED_FLOOR, dtype=np.float32), "floor"),
        numpy_helper.from_array(np.array(1.0, dtype=np.float32), "one"),
        numpy_helper.from_array(np.array([0, 2], dtype=np.int64), "unsqueeze_axes"),
        numpy_helper.from_array(onehot(0), "blank_logits"),
        numpy_helper.from_array(onehot(1), "first_logits"),
        numpy_helper.from_array(onehot(2), "second_logits"),
    ]
    nodes = [
        # Every fourth frame: [N, T', 80], T' = ceil(T / 4).
        helper.make_node("Slice", ["x", "zero_1d", "end_1d", "axis_time", "step"], ["frames"]),
        helper.make_node("ReduceMean", ["frames"], ["energy"], axes=[2], keepdims=1),  # [N, T', 1]
        helper.make_node("Greater", ["energy", "floor"], ["is_voiced"]),
        helper.make_node("Cast", ["is_voiced"], ["v"], to=TensorProto.FLOAT),
        helper.make_node("Sub", ["one", "v"], ["not_v"]),
        # The position of each frame, even or odd: [1, T', 1].
        helper.make_node("Shape", ["frames"], ["shape"]),
        helper.make_node("Gather", ["shape", "one_i"], ["count"], axis=0),
        helper.make_node("Range", ["zero", "count", "one_i"], ["positions"]),
        helper.make_node("Mod", ["positions", "two"], ["parity"]),
        helper.make_node("Equal", ["parity", "zero"], ["is_even"]),
        helper.make_node("Cast", ["is_even"], ["even_flat"], to=TensorProto.FLOAT),
        helper.make_node("Unsqueeze", ["even_flat", "unsqueeze_axes"], ["even"]),
        helper.make_node("Sub", ["one", "even"], ["odd"]),
        helper.make_node("Mul", ["even", "first_logits"], ["on_even"]),
        helper.make_node("Mul", ["odd", "second_logits"], ["on_odd"]),
        helper.make_node("Add", ["on_even", "on_odd"], ["voiced_logits"]),  # [1, T', V]
        helper.make_node("Mul", ["v", "voiced_logits"], ["a"]),
        helper.make_node("Mul", ["not_v", "blank_logits"], ["b"]),
        helper.make_node("Add", ["a", "b"], ["logits"]),  # [N, T', V]
        helper.make_node("LogSoftmax", ["logits"], ["log_probs"], axis=-1),
        # ceil(x_lens / 4)
        helper.make_node("Add", ["x_lens", "round_up"], ["lens_up"]),
        helper.make_node("Div", ["lens_up", "subsampling"], ["log_probs_len"]),
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-offline-zipformer-ctc",
        inputs=[
            helper.make_tensor_value_info("x", TensorProto.FLOAT, ["N", "T", FEATURE_DIM]),
            helper.make_tensor_value_info("x_lens", TensorProto.INT64, ["N"]),
        ],
        outputs=[
            helper.make_tensor_value_info("log_probs", TensorProto.FLOAT, ["N", "T2", len(TOKENS)]),
            helper.make_tensor_value_info("log_probs_len", TensorProto.INT64, ["N"]),
        ],
        initializer=initializers,
    )
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)], producer_name="vocena-tests")
    model.ir_version = 7
    add_metadata(model, {
        "model_type": "zipformer2_ctc",
        "version": "1",
        "model_author": "vocena-tests",
        "comment": "energy-triggered non-streaming test model, not a recogniser",
    })
    onnx.checker.check_model(model)
    return model


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    write_ctc_variants(sys.argv[1], build_model().SerializeToString(), TOKENS, seed=11)


if __name__ == "__main__":
    main()
