#!/usr/bin/python3
"""Writes a tiny streaming T-One CTC speech model for the tests, and damaged copies of it.

    /usr/bin/python3 scripts/make-test-model.py OUTDIR

creates
    OUTDIR/good/            model.onnx + tokens.txt: loads and decodes
    OUTDIR/random-bytes/    model.onnx is noise (the library throws)
    OUTDIR/no-metadata/     model.onnx lacks the metadata the library needs (it exits the process)
    OUTDIR/no-blank/        tokens.txt has no <blk> (it exits the process)

The model is no recogniser: it cuts each 300 ms chunk (2400 samples at 8 kHz, fed by the
library as int32 [N, S, 1]) into ten 30 ms frames and emits a token for every frame whose
energy is above a threshold, blank otherwise. Speech therefore decodes to non-empty text
(alternating 你/好) and silence to "". The state [N, d] (float16) is passed through.

Needs Debian's python3-onnx and python3-numpy (use /usr/bin/python3, not a pyenv shim).
"""

import os
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from testmodels import add_metadata, write_ctc_variants  # noqa: E402

FRAMES_PER_CHUNK = 10  # 300 ms / 30 ms
STATE_DIM = 4
TOKENS = ["<blk>", "你", "好"]
# Mean square of an int16-scaled frame above which it counts as voiced: RMS ~ 0.01 of full scale.
ENERGY_THRESHOLD = 1.0e5
CONFIDENT = 10.0  # logit of the chosen symbol; the others are 0


def build_model(with_metadata=True):
    vocab = len(TOKENS)
    # Per frame of a chunk: the token it emits when voiced (alternating, so that a run of voiced
    # frames is not collapsed into one symbol by CTC).
    voiced = np.zeros((FRAMES_PER_CHUNK, vocab), dtype=np.float32)
    for t in range(FRAMES_PER_CHUNK):
        voiced[t, 1 + t % (vocab - 1)] = CONFIDENT
    unvoiced = np.zeros((1, vocab), dtype=np.float32)
    unvoiced[0, 0] = CONFIDENT

    initializers = [
        numpy_helper.from_array(np.array([0, FRAMES_PER_CHUNK, -1], dtype=np.int64), "frame_shape"),
        numpy_helper.from_array(np.array(ENERGY_THRESHOLD, dtype=np.float32), "threshold"),
        numpy_helper.from_array(np.array(1.0, dtype=np.float32), "one"),
        numpy_helper.from_array(voiced, "voiced_logits"),
        numpy_helper.from_array(unvoiced, "unvoiced_logits"),
    ]
    nodes = [
        helper.make_node("Cast", ["signal"], ["signal_f"], to=TensorProto.FLOAT),
        helper.make_node("Reshape", ["signal_f", "frame_shape"], ["frames"]),  # [N, 10, S/10]
        helper.make_node("Mul", ["frames", "frames"], ["squares"]),
        helper.make_node("ReduceMean", ["squares"], ["energy"], axes=[2], keepdims=1),  # [N, 10, 1]
        helper.make_node("Greater", ["energy", "threshold"], ["is_voiced"]),
        helper.make_node("Cast", ["is_voiced"], ["v"], to=TensorProto.FLOAT),
        helper.make_node("Sub", ["one", "v"], ["not_v"]),
        helper.make_node("Mul", ["v", "voiced_logits"], ["a"]),
        helper.make_node("Mul", ["not_v", "unvoiced_logits"], ["b"]),
        helper.make_node("Add", ["a", "b"], ["logits"]),  # [N, 10, V]
        helper.make_node("LogSoftmax", ["logits"], ["log_probs"], axis=-1),
        helper.make_node("Identity", ["state"], ["next_state"]),
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-t-one",
        inputs=[
            helper.make_tensor_value_info("signal", TensorProto.INT32, ["N", "S", 1]),
            helper.make_tensor_value_info("state", TensorProto.FLOAT16, ["N", STATE_DIM]),
        ],
        outputs=[
            helper.make_tensor_value_info("log_probs", TensorProto.FLOAT, ["N", FRAMES_PER_CHUNK, vocab]),
            helper.make_tensor_value_info("next_state", TensorProto.FLOAT16, ["N", STATE_DIM]),
        ],
        initializer=initializers,
    )
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)], producer_name="vocena-tests")
    model.ir_version = 7
    if with_metadata:
        add_metadata(model, {
            "model_type": "t-one",
            "sample_rate": 8000,
            "frame_length_ms": 300,
            "state_dim": STATE_DIM,
            "comment": "energy-triggered test model, not a recogniser",
        })
    onnx.checker.check_model(model)
    return model


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    write_ctc_variants(sys.argv[1], build_model().SerializeToString(), TOKENS, seed=7,
                       extra={"no-metadata": build_model(with_metadata=False).SerializeToString()})


if __name__ == "__main__":
    main()
