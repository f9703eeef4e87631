#include "media/CodecLibrary.h"

#include "platform/codec/calvorine_codec.h"

void startCodecLibrary(const QString& dataFolder) {
    cvcodec_enable_components(1, 1);
    cvcodec_enable_components(0, 1);
    cvcodec_set_threading(0, 1);
    cvcodec_set_hardware_acceleration(0);
    cvcodec_set_log_level(0);
    cvcodec_set_data_folder(dataFolder.toUtf8().constData());
}
