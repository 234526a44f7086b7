# Entry points for people and CI. Each target sets the machine up first (scripts/bootstrap
# is idempotent and quick when everything is present).
BUILD ?= build
JOBS ?= $(shell nproc)
ARGS ?=
# ccache, when the machine has it, makes rebuilds in other checkouts cheap.
LAUNCHER := $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: all bootstrap configure build run test bench clean

all: build

bootstrap:
	@scripts/bootstrap

configure: bootstrap
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# Starts the app (or runs a command: make run ARGS="vocab list").
run: build
	$(BUILD)/src/vocena $(ARGS)

test: build
	@scripts/run-tests $(BUILD)

bench: build
	$(BUILD)/bench/vocena_bench
	scripts/with-xvfb $(BUILD)/bench/vocena_paste_latency
	scripts/with-pulse $(BUILD)/bench/vocena_dictation_latency

clean:
	rm -rf $(BUILD)
