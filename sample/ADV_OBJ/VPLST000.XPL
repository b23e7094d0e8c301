<?xml version="1.0" encoding="UTF-8"?>
<Playlist xmlns="http://www.dvdforum.org/2005/HDDVDVideo/Playlist" majorVersion="1" minorVersion="0" displayName="Quarnel Sample Disc">
  <Configuration>
    <StreamingBuffer size="0"/>
    <Aperture width="1920" height="1080"/>
    <MainVideoDefaultColor color="108080"/>
  </Configuration>
  <!-- The codings of the streams the titles name -->
  <MediaAttributeList>
    <VideoAttributeItem index="1" codec="MPEG-2" sampleAspectRatio="16:9" horizontalResolution="1920" verticalResolution="1080" encodedFrameRate="24000/1001" sourceFrameRate="24000/1001" bitrate="4000"/>
    <VideoAttributeItem index="2" codec="H.264" sampleAspectRatio="16:9" horizontalResolution="1920" verticalResolution="1080" encodedFrameRate="24000/1001" sourceFrameRate="24000/1001"/>
    <AudioAttributeItem index="1" codec="DD" sampleFrequency="48" sampleDepth="16" channels="2" bitrate="192"/>
    <AudioAttributeItem index="2" codec="DTS" sampleFrequency="48" sampleDepth="16" channels="2" bitrate="384"/>
    <AudioAttributeItem index="3" codec="LPCM" sampleFrequency="48" sampleDepth="16" channels="2"/>
    <AudioAttributeItem index="4" codec="MLP" sampleFrequency="48" sampleDepth="16" channels="2"/>
    <AudioAttributeItem index="5" codec="DD+" sampleFrequency="48" sampleDepth="16" channels="6" bitrate="192"/>
    <SubpictureAttributeItem index="1" codec="2bitRLE"/>
  </MediaAttributeList>
  <TitleSet timeBase="60fps" tickBase="24fps" defaultLanguage="en">
    <FirstPlayTitle titleDuration="00:00:00:00">
      <ApplicationSegment src="file:///dvddisc/ADV_OBJ/STARTUP.XMF" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:00:00"/>
    </FirstPlayTitle>
    <Title id="TrailerTitle" displayName="Trailer" titleNumber="1" titleDuration="00:00:02:00" onEnd="MainTitle">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/TRAILER.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:02:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" langcode="en:01" description="English"/>
      </PrimaryAudioVideoClip>
      <ChapterList>
        <Chapter titleTimeBegin="00:00:00:00" displayName="Trailer"/>
      </ChapterList>
    </Title>
    <Title id="MainTitle" displayName="Main Feature" titleNumber="2"
	titleDuration="00:00:04:00">
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" titleTimeBegin="00:00:00:00" titleTimeEnd="00:00:02:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Video track="2" mediaAttr="2"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" langcode="en:01" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="2" langcode="fr:01" description="French"/>
        <Audio track="3" streamNumber="3" mediaAttr="3" langcode="de:01" description="German"/>
        <Audio track="4" streamNumber="4" mediaAttr="4" langcode="ja:01" description="Japanese"/>
        <Audio track="5" streamNumber="5" mediaAttr="5" langcode="en:03" description="Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" langcode="en:01" description="English"/>
      </PrimaryAudioVideoClip>
      <PrimaryAudioVideoClip src="file:///dvddisc/HVDVD_TS/FEATURE_2.MAP" titleTimeBegin="00:00:02:00" titleTimeEnd="00:00:04:00" dataSource="Disc">
        <Video track="1" mediaAttr="1"/>
        <Video track="2" mediaAttr="2"/>
        <Audio track="1" streamNumber="1" mediaAttr="1" langcode="en:01" description="English"/>
        <Audio track="2" streamNumber="2" mediaAttr="2" langcode="fr:01" description="French"/>
        <Audio track="3" streamNumber="3" mediaAttr="3" langcode="de:01" description="German"/>
        <Audio track="4" streamNumber="4" mediaAttr="4" langcode="ja:01" description="Japanese"/>
        <Audio track="5" streamNumber="5" mediaAttr="5" langcode="en:03" description="Commentary"/>
        <Subtitle track="1" streamNumber="1" mediaAttr="1" langcode="en:01" description="English"/>
      </PrimaryAudioVideoClip>
      <ChapterList>
        <Chapter titleTimeBegin="00:00:00:00" displayName="Opening"/>
        <Chapter titleTimeBegin="00:00:01:30" displayName="The Bridge"/>
        <Chapter titleTimeBegin="00:00:02:00" displayName="Second Reel"/>
        <Chapter titleTimeBegin="00:00:03:15" displayName="End Credits"/>
      </ChapterList>
    </Title>
  </TitleSet>
</Playlist>
