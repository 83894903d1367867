// Placeholder until the echo engine lands: the effect passes audio through.
#pragma once

class EchoEngine {};
