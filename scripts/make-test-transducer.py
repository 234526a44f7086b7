#!/usr/bin/python3
"""Writes a tiny streaming transducer (LSTM type) for the hotword tests.

    /usr/bin/python3 scripts/make-test-transducer.py OUTDIR

creates OUTDIR/encoder.onnx, decoder.onnx, joiner.onnx and tokens.txt (<blk> 你 好 泥).

The model is no recogniser. The encoder cuts each chunk of 8 feature frames into two output
frames and marks each voiced (mean log-mel energy above a threshold) or not. The joiner emits
blank on unvoiced frames; on voiced frames it depends on the last token (the decoder's
context): after blank or 好 it prefers 你 and ranks 泥 a close second, after 你 or 泥 it
emits 好. So speech decodes to 你好你好… greedily and in beam search, and to 泥好泥好… when 泥好
is a hotword. The LSTM states are passed through.

Needs Debian's python3-onnx and python3-numpy (use /usr/bin/python3, not a pyenv shim).
"""

import os
import sys

import numpy as np
import onnx
from onnx import TensorProto, helper, numpy_helper

TOKENS = ["<blk>", "你", "好", "泥"]
FEATURE_DIM = 80
CHUNK = 8  # feature frames per encoder run (80 ms)
SUBSAMPLING = 4
LAYERS, D_MODEL, HIDDEN = 1, 2, 2
# Mean log-mel energy above which a frame is voiced: silence (zeros) is about -15.9, the
# espeak-ng recording of the tests above -5 (the library takes samples in [-1, 1] as they are).
VOICED_THRESHOLD = -8.0
# Joiner logits on a voiced frame: rows are the decoder's two contexts, columns the tokens.
AFTER_START = [0.0, 6.0, 0.0, 5.0]   # after blank or 好: 你, with 泥 close behind
AFTER_FIRST = [0.0, 0.0, 6.0, 0.0]   # after 你 or 泥: 好
UNVOICED = [10.0, 0.0, 0.0, 0.0]
# The decoder's context of each token: 0 = start of a pair, 1 = after its first character.
CONTEXT = [[1.0, 0.0], [0.0, 1.0], [1.0, 0.0], [0.0, 1.0]]


def add_metadata(model, values):
    for key, value in values.items():
        entry = model.metadata_props.add()
        entry.key, entry.value = key, str(value)


def finish(graph, metadata):
    model = helper.make_model(graph, opset_imports=[helper.make_opsetid("", 13)], producer_name="vocena-tests")
    model.ir_version = 7
    add_metadata(model, metadata)
    onnx.checker.check_model(model)
    return model


def encoder():
    frames = CHUNK // SUBSAMPLING
    nodes = [
        helper.make_node("ReduceMean", ["x"], ["energy"], axes=[2], keepdims=0),  # [N, 8]
        helper.make_node("Reshape", ["energy", "groups"], ["grouped"]),  # [N, 2, 4]
        helper.make_node("ReduceMax", ["grouped"], ["loudest"], axes=[2], keepdims=1),  # [N, 2, 1]
        helper.make_node("Greater", ["loudest", "threshold"], ["is_voiced"]),
        helper.make_node("Cast", ["is_voiced"], ["voiced"], to=TensorProto.FLOAT),
        helper.make_node("Sub", ["one", "voiced"], ["unvoiced"]),
        helper.make_node("Concat", ["voiced", "unvoiced"], ["encoder_out"], axis=2),  # [N, 2, 2]
        helper.make_node("Identity", ["h"], ["next_h"]),
        helper.make_node("Identity", ["c"], ["next_c"]),
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-encoder",
        inputs=[
            helper.make_tensor_value_info("x", TensorProto.FLOAT, ["N", CHUNK, FEATURE_DIM]),
            helper.make_tensor_value_info("h", TensorProto.FLOAT, [LAYERS, "N", D_MODEL]),
            helper.make_tensor_value_info("c", TensorProto.FLOAT, [LAYERS, "N", HIDDEN]),
        ],
        outputs=[
            helper.make_tensor_value_info("encoder_out", TensorProto.FLOAT, ["N", frames, 2]),
            helper.make_tensor_value_info("next_h", TensorProto.FLOAT, [LAYERS, "N", D_MODEL]),
            helper.make_tensor_value_info("next_c", TensorProto.FLOAT, [LAYERS, "N", HIDDEN]),
        ],
        initializer=[
            numpy_helper.from_array(np.array([0, frames, SUBSAMPLING], dtype=np.int64), "groups"),
            numpy_helper.from_array(np.array(VOICED_THRESHOLD, dtype=np.float32), "threshold"),
            numpy_helper.from_array(np.array(1.0, dtype=np.float32), "one"),
        ],
    )
    return finish(graph, {"model_type": "lstm", "num_encoder_layers": LAYERS, "T": CHUNK, "decode_chunk_len": CHUNK,
                          "rnn_hidden_size": HIDDEN, "d_model": D_MODEL})


def decoder():
    nodes = [
        helper.make_node("Gather", ["context", "y"], ["gathered"], axis=0),  # [N, 1, 2]
        helper.make_node("Reshape", ["gathered", "flat"], ["decoder_out"]),  # [N, 2]
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-decoder",
        inputs=[helper.make_tensor_value_info("y", TensorProto.INT64, ["N", 1])],
        outputs=[helper.make_tensor_value_info("decoder_out", TensorProto.FLOAT, ["N", 2])],
        initializer=[
            numpy_helper.from_array(np.array(CONTEXT, dtype=np.float32), "context"),
            numpy_helper.from_array(np.array([-1, 2], dtype=np.int64), "flat"),
        ],
    )
    return finish(graph, {"vocab_size": len(TOKENS), "context_size": 1})


def joiner():
    nodes = [
        helper.make_node("MatMul", ["encoder_out", "pick_voiced"], ["voiced"]),  # [N, 1]
        helper.make_node("MatMul", ["encoder_out", "pick_unvoiced"], ["unvoiced"]),
        helper.make_node("MatMul", ["decoder_out", "voiced_logits"], ["by_context"]),  # [N, V]
        helper.make_node("Mul", ["voiced", "by_context"], ["a"]),
        helper.make_node("Mul", ["unvoiced", "unvoiced_logits"], ["b"]),
        helper.make_node("Add", ["a", "b"], ["logit"]),
    ]
    graph = helper.make_graph(
        nodes,
        "vocena-test-joiner",
        inputs=[
            helper.make_tensor_value_info("encoder_out", TensorProto.FLOAT, ["N", 2]),
            helper.make_tensor_value_info("decoder_out", TensorProto.FLOAT, ["N", 2]),
        ],
        outputs=[helper.make_tensor_value_info("logit", TensorProto.FLOAT, ["N", len(TOKENS)])],
        initializer=[
            numpy_helper.from_array(np.array([[1.0], [0.0]], dtype=np.float32), "pick_voiced"),
            numpy_helper.from_array(np.array([[0.0], [1.0]], dtype=np.float32), "pick_unvoiced"),
            numpy_helper.from_array(np.array([AFTER_START, AFTER_FIRST], dtype=np.float32), "voiced_logits"),
            numpy_helper.from_array(np.array([UNVOICED], dtype=np.float32), "unvoiced_logits"),
        ],
    )
    return finish(graph, {})


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, model in (("encoder", encoder()), ("decoder", decoder()), ("joiner", joiner())):
        with open(os.path.join(out, name + ".onnx"), "wb") as f:
            f.write(model.SerializeToString())
    with open(os.path.join(out, "tokens.txt"), "w", encoding="utf-8") as f:
        for index, token in enumerate(TOKENS):
            f.write(f"{token} {index}\n")


if __name__ == "__main__":
    main()
