# Quillet K3's VST3 identity, as data: the bundle's name, the class IDs (in
# the 32-digit text form, the same on every platform) and what the factory
# says of the classes. vst3/class_ids.h derives the same IDs in code, and a
# test compares the two. The product's identity file takes these over when
# it exists.
#
# The processor's ID follows Steinberg's rule for a VST3 plug-in replacing a
# VST 2 one: 'VST', the VST 2 unique ID 'QTAP', "quillet k" (the first nine
# characters of "Quillet K3" in lower case). The controller's uses 'VSE'.
set(QUILLET_VST3_BUNDLE_NAME "Quillet K3")
set(QUILLET_VST3_PROCESSOR_CID 565354515441507175696C6C6574206B)
set(QUILLET_VST3_CONTROLLER_CID 565345515441507175696C6C6574206B)
set(QUILLET_VST3_PROCESSOR_NAME "Quillet K3")
set(QUILLET_VST3_CONTROLLER_NAME "Quillet K3 Controller")
set(QUILLET_VST3_SUBCATEGORIES "Fx|Delay")
set(QUILLET_VST3_VENDOR "Marrow Ledge")
set(QUILLET_VST3_INTERFACE_VERSION "VST 3.7.13")
